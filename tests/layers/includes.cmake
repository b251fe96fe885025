# Fails, naming the file and the #include, when an include points up the tree.
# The folders read as the dependency graph: core <- platform <- forms <- app, and inside
# core and forms a folder may use only those of a lower rank (or itself). Run as
#   cmake -DROOT=<source folder> -P includes.cmake
cmake_minimum_required(VERSION 3.21)
# Ranks inside core: numbers, then files, then settings and the drawing surface, then
# the two analyses, then what reads both (reports, price history).
set(core_rank_numbers 0)
set(core_rank_files 1)
set(core_rank_settings 2)
set(core_rank_drawing 2)
set(core_rank_fibonacci 3)
set(core_rank_gann 3)
set(core_rank_reports 4)
set(core_rank_history 4)
# Inside forms: the output dialogs, then the windows that use them, then the main menu
# that opens the windows.
set(forms_rank_output 0)
set(forms_rank_fibonacci 1)
set(forms_rank_gann 1)
set(forms_rank_history 1)
set(forms_rank_shell 2)

# What a file in `layer` may never include, by the include's first folder.
set(banned_core platform forms app tests)
set(banned_platform forms app tests)
set(banned_forms app tests)
set(banned_app tests)
set(banned_cli forms platform tests)

set(faults "")

# The rank of sub-folder `sub` of `layer`, or an error for one nobody ranked yet.
function(rank_of layer sub file out)
  if(NOT DEFINED ${layer}_rank_${sub})
    list(APPEND faults "${file}: ${layer}/${sub}/ has no place in the order in tests/layers/includes.cmake")
    set(faults "${faults}" PARENT_SCOPE)
    set(${out} -1 PARENT_SCOPE)
  else()
    set(${out} ${${layer}_rank_${sub}} PARENT_SCOPE)
  endif()
endfunction()

function(check_file file)
  string(REGEX MATCH "^[^/]+" layer "${file}")
  set(banned ${banned_${layer}})
  set(where ${layer})
  if(file MATCHES "^app/cli/")
    set(banned ${banned_cli})
    set(where app/cli)
  endif()
  file(STRINGS "${ROOT}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+/[^\"]+\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" target "${line}")
    string(REGEX MATCH "^[^/]+" top "${target}")
    if(top IN_LIST banned)
      list(APPEND faults "${file}: #include \"${target}\" is one ${where}/ may not use (${top}/)")
    elseif((layer STREQUAL "core" OR layer STREQUAL "forms") AND top STREQUAL layer)
      string(REGEX REPLACE "^[^/]+/([^/]+)/.*" "\\1" from "${file}")
      string(REGEX REPLACE "^[^/]+/([^/]+)/.*" "\\1" to "${target}")
      if(NOT from STREQUAL to)
        rank_of(${layer} ${from} ${file} from_rank)
        rank_of(${layer} ${to} ${file} to_rank)
        if(NOT from_rank LESS 0 AND NOT to_rank LESS 0 AND NOT to_rank LESS from_rank)
          list(APPEND faults "${file}: #include \"${target}\" makes ${layer}/${from}/ use ${layer}/${to}/, which is not below it")
        endif()
      endif()
    endif()
  endforeach()
  set(faults "${faults}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${ROOT}"
     "${ROOT}/core/*.h" "${ROOT}/core/*.cpp" "${ROOT}/platform/*.h" "${ROOT}/platform/*.cpp"
     "${ROOT}/forms/*.h" "${ROOT}/forms/*.cpp" "${ROOT}/app/*.h" "${ROOT}/app/*.cpp")
if(NOT sources)
  message(FATAL_ERROR "no sources under ${ROOT}")
endif()
foreach(file IN LISTS sources)
  check_file("${file}")
endforeach()
if(faults)
  list(JOIN faults "\n" report)
  message(FATAL_ERROR "Includes that point the wrong way:\n${report}")
endif()
