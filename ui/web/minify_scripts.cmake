# Rewrites the page's own scripts in DIR without comments and spacing, with the minifier
# Emscripten runs over the module's glue (its acorn and terser), so the page needs no other
# tool: a third of the scripts' download. Each of FILES is replaced only when it parses.
#   cmake -DDIR=... -DFILES=a.js,b.js -DNODE=... -DMINIFIER=.../acorn-optimizer.js -P minify_scripts.cmake
if("$ENV{NODE_PATH}" STREQUAL "")
  set(ENV{NODE_PATH} /usr/share/nodejs)  # where Debian's node finds acorn, as for em++ itself
endif()
string(REPLACE "," ";" FILES "${FILES}")
foreach(name ${FILES})
  execute_process(COMMAND ${NODE} ${MINIFIER} ${DIR}/${name} minifyWhitespace
    OUTPUT_FILE ${DIR}/${name}.min RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    file(REMOVE ${DIR}/${name}.min)
    message(FATAL_ERROR "minify_scripts: ${name} could not be minified: ${errors}")
  endif()
  file(RENAME ${DIR}/${name}.min ${DIR}/${name})
endforeach()
