# Puts the page into the site with the sizes of what it loads written in, for its loading bar.
#   cmake -DPAGE=index.html -DSITE=site -P page.cmake
file(SIZE ${SITE}/vantor6.wasm wasm_bytes)
file(SIZE ${SITE}/vantor6.data data_bytes)
math(EXPR SITE_BYTES "${wasm_bytes} + ${data_bytes}")
configure_file(${PAGE} ${SITE}/index.html @ONLY)
