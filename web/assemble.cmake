# Assembles the page's folder: index.html and corvane.css as they are, and
# corvane.js, the page's script with the worker's whole script (emscripten's
# glue, the WebAssembly and worker.js) as the body of a function, so that the
# page starts the worker from the function's own source text, through a
# blob: URL, with no file of its own to fetch.
#   cmake -D WORKER=corvane_web.js -D PAGE=page.js -D SOURCE=web -D SITE=site -P assemble.cmake
file(MAKE_DIRECTORY ${SITE})
file(READ ${WORKER} worker)
file(READ ${PAGE} page)
file(WRITE ${SITE}/corvane.js.part "function corvaneWorker() {\n${worker}\n}\n${page}")
file(RENAME ${SITE}/corvane.js.part ${SITE}/corvane.js)
foreach(name index.html corvane.css)
    configure_file(${SOURCE}/${name} ${SITE}/${name} COPYONLY)
endforeach()
