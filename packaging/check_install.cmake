# Installs the build into STAGE_DIR/usr and checks the result: the files a
# desktop needs are all there, under the names that tie them together.
# Run by CTest (see CMakeLists.txt beside this file).

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${STAGE_DIR}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${STAGE_DIR}/usr"
    RESULT_VARIABLE result
    OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install a échoué (${result})")
endif()

set(usr "${STAGE_DIR}/usr")
set(expected
    "${BINDIR}/corvane"
    "${DATADIR}/applications/${APP_ID}.desktop"
    "${DATADIR}/metainfo/${APP_ID}.metainfo.xml"
    "${DATADIR}/icons/hicolor/16x16/apps/${APP_ID}.png"
    "${DATADIR}/icons/hicolor/32x32/apps/${APP_ID}.png"
    "${DATADIR}/icons/hicolor/48x48/apps/${APP_ID}.png"
    "${DATADIR}/icons/hicolor/256x256/apps/${APP_ID}.png"
    "${DATADIR}/icons/hicolor/scalable/apps/${APP_ID}.svg")
set(missing "")
foreach(path IN LISTS expected)
    if(NOT EXISTS "${usr}/${path}")
        list(APPEND missing "${path}")
    endif()
endforeach()
if(missing)
    list(JOIN missing "\n  " text)
    message(FATAL_ERROR "Fichiers absents de l'installation :\n  ${text}")
endif()

# Each PNG must really be the size its folder announces: icon themes trust
# the folder name.
foreach(size 16 32 48 256)
    file(READ "${usr}/${DATADIR}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png" header
        LIMIT 24 HEX)
    string(SUBSTRING "${header}" 32 16 dims)
    math(EXPR want_hex "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(REPLACE "0x" "" want_hex "${want_hex}")
    string(LENGTH "${want_hex}" len)
    math(EXPR pad "8 - ${len}")
    string(REPEAT "0" ${pad} zeros)
    set(want "${zeros}${want_hex}${zeros}${want_hex}")
    if(NOT dims STREQUAL want)
        message(FATAL_ERROR "L'icône ${size}x${size} n'a pas cette taille (IHDR ${dims})")
    endif()
endforeach()

# The entry must start the installed program and name the installed icon.
file(STRINGS "${usr}/${DATADIR}/applications/${APP_ID}.desktop" entry)
foreach(line "Exec=corvane" "Icon=${APP_ID}")
    if(NOT line IN_LIST entry)
        message(FATAL_ERROR "L'entrée de bureau installée n'a pas la ligne ${line}")
    endif()
endforeach()

if(DESKTOP_FILE_VALIDATE)
    execute_process(
        COMMAND "${DESKTOP_FILE_VALIDATE}" "${usr}/${DATADIR}/applications/${APP_ID}.desktop"
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate refuse l'entrée installée")
    endif()
endif()

# validate-tree checks that the metainfo, the desktop entry it launches and
# the icon it names are all found in the installed tree.
if(APPSTREAMCLI)
    execute_process(
        COMMAND "${APPSTREAMCLI}" validate-tree --no-net "${STAGE_DIR}"
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "appstreamcli validate-tree refuse l'arborescence installée")
    endif()
endif()
