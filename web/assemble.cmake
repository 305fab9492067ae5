# Assembles the page's folder, where inline_page.js has written index.html:
# the files named in COPIED from SOURCE and in ICONS from ICON_DIR as they
# are; corvane-coeur.js, which the page loads once it answers, the worker's whole
# script (emscripten's glue, the WebAssembly packed by pack_wasm.js in
# PACKED_WASM, and worker.js) as the body of a function, so that the page
# starts the worker from the function's own source text, through a blob: URL,
# with no file of its own to fetch; and sw.js, told every other file and a
# digest of them all.
#   cmake -D WORKER=corvane_web.js -D PACKED_WASM=corvane_web.wasm.b64 -D SOURCE=web -D SITE=site \
#       -D COPIED=manifest.webmanifest -D ICON_DIR=resources/icons -D ICONS=corvane-192.png,... -P assemble.cmake
file(MAKE_DIRECTORY ${SITE})
file(READ ${WORKER} worker)
file(READ ${PACKED_WASM} packed)
string(REPLACE "@CORVANE_PACKED_WASM@" "${packed}" worker "${worker}")
file(WRITE ${SITE}/corvane-coeur.js.part "function corvaneWorker() {\n${worker}\n}\n")
file(RENAME ${SITE}/corvane-coeur.js.part ${SITE}/corvane-coeur.js)
string(REPLACE "," ";" copied "${COPIED}")
string(REPLACE "," ";" icons "${ICONS}")
foreach(name ${copied})
    configure_file(${SOURCE}/${name} ${SITE}/${name} COPYONLY)
endforeach()
foreach(name ${icons})
    configure_file(${ICON_DIR}/${name} ${SITE}/${name} COPYONLY)
endforeach()

# Any byte changed in any file gives the worker new bytes, which is what
# makes the browser take the new build.
set(kept index.html ${copied} ${icons} corvane-coeur.js)
# What an earlier build left and this one no longer writes goes, so that the
# folder holds the service worker's files and nothing else.
file(GLOB present RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM present ${kept} sw.js)
foreach(name ${present})
    file(REMOVE ${SITE}/${name})
endforeach()
set(digests "")
foreach(name ${kept})
    file(SHA256 ${SITE}/${name} digest)
    string(APPEND digests "${name} ${digest}\n")
endforeach()
string(SHA256 DIGEST "${digests}")
string(SUBSTRING ${DIGEST} 0 16 DIGEST)
list(TRANSFORM kept PREPEND "\"")
list(TRANSFORM kept APPEND "\"")
string(JOIN ", " FILES ${kept})
configure_file(${SOURCE}/sw.js ${SITE}/sw.js @ONLY)
