# brindle_drop_unwind_tables(TARGET): links the x86 program TARGET with the linker's own default
# script, changed in one statement: the DWARF unwind tables (.eh_frame) of the libraries named
# below are no longer kept whole. ld keeps every .eh_frame input section of a PE image, and
# since an object's table refers to each of its functions, that keeps every function of every
# library member it links (about 100 KB of the string instantiations alone), whatever
# --gc-sections finds unused. Without KEEP those tables are unreferenced and go, and with them
# the functions that nothing calls.
#
# Nothing in the program throws or catches: app/exception_free_runtime.cpp ends the process where
# the library would throw, so the unwinder and libstdc++'s exception runtime are not linked, and
# no table of the code listed here (C code: zlib, the C runtime, winpthread, libgcc's arithmetic
# helpers; and the libstdc++ members below) is ever read.
#
# If the linker's default script has no such statement (another binutils), the program links
# with the default script, as before, and configuring says so.
set(BRINDLE_UNWIND_TABLES_DROPPED
  "*libz.a:*"
  "*libmingwex.a:*"
  "*libmingw32.a:*"
  "*libmsvcrt.a:*"
  "*libpthread.a:*"
  "*libgcc.a:*")
foreach(member string-inst wstring-inst cow-string-inst cow-stdexcept stdexcept functexcept
               sso_string snprintf_lite random tree guard class_type_info si_class_type_info
               vmi_class_type_info tinfo dyncast)
  list(APPEND BRINDLE_UNWIND_TABLES_DROPPED "*libstdc++.a:${member}.o")
endforeach()

function(brindle_drop_unwind_tables target)
  set(script_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.ld)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-prog-name=ld
                  OUTPUT_VARIABLE linker OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${linker} --verbose OUTPUT_VARIABLE verbose RESULT_VARIABLE status)
  # The script is printed between two lines of "=" signs.
  string(REGEX MATCH "\n=+\n(.*)\n=+\n" framed "${verbose}")
  set(script "${CMAKE_MATCH_1}")
  set(keep_all "KEEP(*(.eh_frame*))")
  string(FIND "${script}" "${keep_all}" at)
  if(NOT status EQUAL 0 OR at EQUAL -1)
    message(STATUS "${target}: the linker's default script keeps no .eh_frame as expected; "
                   "linking with it unchanged")
    return()
  endif()
  list(JOIN BRINDLE_UNWIND_TABLES_DROPPED " " dropped)
  string(REPLACE "${keep_all}" "KEEP(*(EXCLUDE_FILE(${dropped}) .eh_frame*))" script "${script}")
  file(CONFIGURE OUTPUT ${script_file} CONTENT "${script}\n" @ONLY)
  target_link_options(${target} PRIVATE -Wl,-T,${script_file})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script_file})
endfunction()
