# Writes DIR/service_worker.js from TEMPLATE: the line that starts "const kPage =" becomes the
# version (VERSION and the first 12 hex digits of a digest over every file's) and the SHA-256 of
# each file in DIR the worker keeps (all but itself), so a changed file makes a new version.
#   cmake -DDIR=... -DTEMPLATE=... -DVERSION=... -P write_service_worker.cmake
file(GLOB names RELATIVE ${DIR} ${DIR}/*)
list(REMOVE_ITEM names service_worker.js)
list(SORT names)
set(files "")
set(all "")
foreach(name ${names})
  if(IS_DIRECTORY ${DIR}/${name})
    continue()
  endif()
  file(SHA256 ${DIR}/${name} digest)
  string(APPEND files "${separator}'${name}': '${digest}'")
  string(APPEND all "${name} ${digest}\n")
  set(separator ", ")
endforeach()
string(SHA256 version_digest "${all}")
string(SUBSTRING ${version_digest} 0 12 version_digest)
file(READ ${TEMPLATE} text)
string(REGEX REPLACE "\nconst kPage = [^\n]*" "\nconst kPage = { version: '${VERSION}-${version_digest}', files: { ${files} } };" text "${text}")
file(WRITE ${DIR}/service_worker.js.new "${text}")
# Rewritten only when it changes, so an unchanged page keeps its worker byte for byte.
file(COPY_FILE ${DIR}/service_worker.js.new ${DIR}/service_worker.js ONLY_IF_DIFFERENT)
file(REMOVE ${DIR}/service_worker.js.new)
