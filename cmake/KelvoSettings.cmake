# One interface target carries the compile settings of every target.
add_library(kelvo_settings INTERFACE)
target_compile_features(kelvo_settings INTERFACE cxx_std_20)
set_target_properties(kelvo_settings PROPERTIES INTERFACE_CXX_EXTENSIONS OFF)
target_compile_options(kelvo_settings INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)
target_compile_definitions(kelvo_settings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT KELVO_VERSION="${PROJECT_VERSION}")
if(KELVO_SANITIZE)
  target_compile_options(kelvo_settings INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(kelvo_settings INTERFACE -fsanitize=address,undefined)
  target_compile_definitions(kelvo_settings INTERFACE _GLIBCXX_ASSERTIONS)
endif()
if(KELVO_FUZZ)
  # Coverage for libFuzzer in every object; the fuzz targets link the fuzzer itself.
  target_compile_options(kelvo_settings INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(kelvo_settings INTERFACE -fsanitize=address,undefined)
endif()

# Collects the sources of one layer folder (with its Qt Designer forms).
function(kelvo_sources out dir)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.ui)
  set(${out} ${found} PARENT_SCOPE)
endfunction()
