# SPDX-License-Identifier: GPL-3.0-or-later
# Included by the top-level CMakeLists.txt before any target when TESSARAY_FUZZ is on.
# The whole tree is built with AddressSanitizer and UndefinedBehaviorSanitizer and with
# libFuzzer's coverage hooks, so the readers are instrumented inside the libraries the
# program itself links; only the fuzz targets link libFuzzer's main.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "TESSARAY_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
add_compile_options(-fsanitize=address,undefined,fuzzer-no-link
                    -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=address,undefined)
