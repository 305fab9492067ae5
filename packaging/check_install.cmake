# Installs the build into STAGE_DIR and checks the result: the files a
# desktop needs are all there, under the names that tie them together.
# Run by CTest (see CMakeLists.txt beside this file).

cmake_minimum_required(VERSION 3.25)

# Each component is installed alone, as its Debian package will hold it, so
# that a file given to the wrong component shows up as missing.
function(install_component component)
    execute_process(
        COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --component ${component}
            --prefix "${STAGE_DIR}/${component}/usr"
        RESULT_VARIABLE result
        OUTPUT_QUIET)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "cmake --install --component ${component} a échoué (${result})")
    endif()
endfunction()

function(expect_files root)
    set(missing "")
    foreach(path IN LISTS ARGN)
        if(NOT EXISTS "${root}/${path}")
            list(APPEND missing "${path}")
        endif()
    endforeach()
    if(missing)
        list(JOIN missing "\n  " text)
        message(FATAL_ERROR "Fichiers absents de l'installation (${root}) :\n  ${text}")
    endif()
endfunction()

# Runs a checking tool; its refusal stops the test with the given message.
function(expect_accepted refusal)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${refusal}")
    endif()
endfunction()

file(REMOVE_RECURSE "${STAGE_DIR}")
install_component(corvane)
set(usr "${STAGE_DIR}/corvane/usr")
expect_files("${usr}"
    "${BINDIR}/corvane"
    "${DATADIR}/applications/${APP_ID}.desktop"
    "${DATADIR}/metainfo/${APP_ID}.metainfo.xml"
    "${DATADIR}/mime/packages/${APP_ID}.xml"
    "${DATADIR}/icons/hicolor/16x16/apps/${APP_ID}.png"
    "${DATADIR}/icons/hicolor/32x32/apps/${APP_ID}.png"
    "${DATADIR}/icons/hicolor/48x48/apps/${APP_ID}.png"
    "${DATADIR}/icons/hicolor/256x256/apps/${APP_ID}.png"
    "${DATADIR}/icons/hicolor/scalable/apps/${APP_ID}.svg"
    "${MANDIR}/man1/corvane.1.gz"
    "${DATADIR}/doc/corvane/changelog.gz"
    "${DATADIR}/doc/corvane/copyright")

if(WITH_CONVERT)
    install_component(convert)
    expect_files("${STAGE_DIR}/convert/usr"
        "${BINDIR}/corvane-convert"
        "${MANDIR}/man1/corvane-convert.1.gz"
        "${DATADIR}/doc/corvane-convert/changelog.gz"
        "${DATADIR}/doc/corvane-convert/copyright"
        "${DATADIR}/bash-completion/completions/corvane-convert")
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

# The entry must start the installed program with the file the file manager
# hands it, name the installed icon and offer itself for both palette types.
file(READ "${usr}/${DATADIR}/applications/${APP_ID}.desktop" entry)
foreach(line "Exec=corvane %f" "Icon=${APP_ID}"
        "MimeType=application/x-div-palette;application/x-jasc-palette;")
    string(FIND "\n${entry}" "\n${line}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "L'entrée de bureau installée n'a pas la ligne ${line}")
    endif()
endforeach()

# A check whose tool is missing is told, and CTest counts the test as skipped.
foreach(tool DESKTOP_FILE_VALIDATE APPSTREAMCLI UPDATE_MIME_DATABASE)
    if(NOT ${tool})
        message("Vérification sautée : ${tool} introuvable")
    endif()
endforeach()

if(DESKTOP_FILE_VALIDATE)
    expect_accepted("desktop-file-validate refuse l'entrée installée"
        "${DESKTOP_FILE_VALIDATE}" "${usr}/${DATADIR}/applications/${APP_ID}.desktop")
endif()

# validate-tree checks that the metainfo, the desktop entry it launches and
# the icon it names are all found in the installed tree.
if(APPSTREAMCLI)
    expect_accepted("appstreamcli validate-tree refuse l'arborescence installée"
        "${APPSTREAMCLI}" validate-tree --no-net "${STAGE_DIR}/corvane")
endif()

# The MIME database built from the installed file alone must hold both types,
# under the icon the rest of the tree uses.
if(UPDATE_MIME_DATABASE)
    set(mime "${usr}/${DATADIR}/mime")
    expect_accepted("update-mime-database refuse ${APP_ID}.xml" "${UPDATE_MIME_DATABASE}" "${mime}")
    foreach(type x-div-palette x-jasc-palette)
        if(NOT EXISTS "${mime}/application/${type}.xml")
            message(FATAL_ERROR "update-mime-database n'a pas créé application/${type}")
        endif()
        file(READ "${mime}/application/${type}.xml" definition)
        if(NOT definition MATCHES "<icon name=\"${APP_ID}\"/>")
            message(FATAL_ERROR "application/${type} ne nomme pas l'icône ${APP_ID}")
        endif()
    endforeach()
endif()
