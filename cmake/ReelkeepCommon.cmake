# One place for the build rules: every target links reelkeep_common.
add_library(reelkeep_common INTERFACE)
target_compile_features(reelkeep_common INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

target_compile_options(reelkeep_common INTERFACE -Wall -Wextra)
# GCC 12 reports impossible overlaps inside std::string at -O3 (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(reelkeep_common INTERFACE -Wno-restrict)
endif()
if(REELKEEP_WERROR)
  target_compile_options(reelkeep_common INTERFACE -Werror)
endif()
target_compile_definitions(reelkeep_common INTERFACE
  REELKEEP_VERSION_TEXT="${PROJECT_VERSION}")

if(REELKEEP_SANITIZE)
  target_compile_options(reelkeep_common INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(reelkeep_common INTERFACE -fsanitize=address,undefined)
endif()

if(REELKEEP_FUZZ)
  target_compile_options(reelkeep_common INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(reelkeep_common INTERFACE -fsanitize=address,undefined)
endif()

# The engine keeps value types on its own stack at 4-byte boundaries only, and hands those
# addresses to the bridge as `string`, `string[]` and `regex` objects. x86-64 reads and writes
# them there without fault, but every inline std::string function that the linker picks may
# come from any translation unit, so the sanitizers' alignment check is off for the whole build.
if(REELKEEP_SANITIZE OR REELKEEP_FUZZ)
  target_compile_options(reelkeep_common INTERFACE -fno-sanitize=alignment)
endif()

