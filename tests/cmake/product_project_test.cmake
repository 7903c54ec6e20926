# A product's own CMake project, as a user would write one, packs its setup with
# brindle_add_setup() from Brindle's cmake/BrindleSetup.cmake, included by its path:
#
#   cmake -DBRINDLE_ROOT=<sources> -DGENERATOR=<name> -DSTUB_MAKER=<program> -DPACKER=<packer>
#         -P product_project_test.cmake
#
# With PACKER, the project is built and its two packages (one of a payload folder in the
# sources, one of a folder that a build step assembles again on every build) must be packed
# again exactly when a payload file is edited, added or removed. With PACKER empty, only the
# configure runs: it must succeed without BRINDLE_PACKER (the packer is then built from the
# sources beside the module).
cmake_minimum_required(VERSION 3.25)
foreach(input BRINDLE_ROOT GENERATOR STUB_MAKER)
  if(NOT ${input})
    message(FATAL_ERROR "product_project_test.cmake needs -D${input}=...")
  endif()
endforeach()

set(temp "$ENV{TMPDIR}")
if(NOT temp)
  set(temp /tmp)
endif()
string(RANDOM LENGTH 10 suffix)
set(work "${temp}/brindle-product-project-${suffix}")
set(project "${work}/project")
set(build "${work}/build")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    file(REMOVE_RECURSE "${work}")
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

function(fail message)
  file(REMOVE_RECURSE "${work}")
  message(FATAL_ERROR "${message}")
endfunction()

file(MAKE_DIRECTORY "${project}/payload/data" "${project}/assets")
run(${STUB_MAKER} "${project}/stub.exe")
file(WRITE "${project}/licence.txt" "Mossbank licence\n")
file(WRITE "${project}/payload/Mossbank.exe" "the program")
file(WRITE "${project}/payload/data/table.txt" "first")
file(WRITE "${project}/assets/notes.txt" "notes one")
file(WRITE "${project}/CMakeLists.txt" "
cmake_minimum_required(VERSION 3.25)
project(Mossbank NONE)
include(\"${BRINDLE_ROOT}/cmake/BrindleSetup.cmake\")

brindle_add_setup(MossbankSetup
  STUB \${CMAKE_SOURCE_DIR}/stub.exe
  PAYLOAD_DIR \${CMAKE_SOURCE_DIR}/payload
  LICENCE \${CMAKE_SOURCE_DIR}/licence.txt
  LASTRUN Mossbank.exe
  DESKTOP Mossbank=Mossbank.exe
  PRODUCT_NAME Mossbank
  PUBLISHER \"Mossbank Works\"
  LANGUAGE en
  SCOPE both
  SHORTCUTS all-users
  REMOVE_ON_UNINSTALL Mossbank/settings.ini)

# A payload folder assembled again on every build, as a product's build often makes one.
set(assembled \${CMAKE_BINARY_DIR}/assembled)
add_custom_target(assemble
  COMMAND \${CMAKE_COMMAND} -E rm -rf \${assembled}
  COMMAND \${CMAKE_COMMAND} -E copy_directory \${CMAKE_SOURCE_DIR}/assets \${assembled}
  VERBATIM)
brindle_add_setup(NotesSetup
  STUB \${CMAKE_SOURCE_DIR}/stub.exe
  PAYLOAD_DIR \${assembled}
  LICENCE \${CMAKE_SOURCE_DIR}/licence.txt
  LASTRUN notes.txt
  DEPENDS assemble)
")

if(NOT PACKER)
  run(${CMAKE_COMMAND} -S "${project}" -B "${build}" -G "${GENERATOR}")
  file(REMOVE_RECURSE "${work}")
  return()
endif()

run(${CMAKE_COMMAND} -S "${project}" -B "${build}" -G "${GENERATOR}" "-DBRINDLE_PACKER=${PACKER}")

set(packages MossbankSetup NotesSetup)
# Builds and checks which packages were written again: `expected` lists them.
function(build_and_expect step expected)
  foreach(package IN LISTS packages)
    set(file "${build}/${package}.exe")
    set(before_${package} "")
    if(EXISTS "${file}")
      file(TIMESTAMP "${file}" before_${package} "%s%f")
    endif()
  endforeach()
  run(${CMAKE_COMMAND} --build "${build}")
  foreach(package IN LISTS packages)
    set(file "${build}/${package}.exe")
    if(NOT EXISTS "${file}")
      fail("${step}: ${package}.exe was not written")
    endif()
    file(TIMESTAMP "${file}" after "%s%f")
    set(repacked FALSE)
    if(NOT after STREQUAL before_${package})
      set(repacked TRUE)
    endif()
    set(wanted FALSE)
    if(package IN_LIST expected)
      set(wanted TRUE)
    endif()
    if(NOT repacked STREQUAL wanted)
      fail("${step}: ${package}.exe packed again: ${repacked}, expected ${wanted}")
    endif()
  endforeach()
endfunction()

# Checks that the archive of `package` lists `name` (or, with NOT, that it does not).
function(expect_entry package mode name)
  run(${PACKER} inspect "${build}/${package}.exe")
  string(FIND "${last_output}" "  ${name}\n" at)
  if(mode STREQUAL "HAS" AND at EQUAL -1)
    fail("${package}.exe has no entry ${name}:\n${last_output}")
  elseif(mode STREQUAL "LACKS" AND NOT at EQUAL -1)
    fail("${package}.exe still has the entry ${name}:\n${last_output}")
  endif()
endfunction()

build_and_expect("first build" "MossbankSetup;NotesSetup")
run(${PACKER} inspect "${build}/MossbankSetup.exe")
foreach(line "product:         Mossbank\n" "  publisher:     Mossbank Works\n" "  language:      en\n"
             "    Mossbank\\settings.ini\n" "scope:           both\n" "\"shortcuts\":\"all-users\"")
  string(FIND "${last_output}" "${line}" at)
  if(at EQUAL -1)
    fail("MossbankSetup.exe: inspect does not show '${line}':\n${last_output}")
  endif()
endforeach()

build_and_expect("nothing changed" "")
file(WRITE "${project}/payload/data/table.txt" "fifth")  # same size
build_and_expect("a payload file edited" "MossbankSetup")
file(WRITE "${project}/payload/data/added.txt" "added")
build_and_expect("a payload file added" "MossbankSetup")
expect_entry(MossbankSetup HAS data/added.txt)
file(REMOVE "${project}/payload/data/added.txt")
build_and_expect("a payload file removed" "MossbankSetup")
expect_entry(MossbankSetup LACKS data/added.txt)

file(WRITE "${project}/assets/notes.txt" "notes two")
build_and_expect("an assembled file edited" "NotesSetup")
file(WRITE "${project}/assets/more.txt" "more")
build_and_expect("an assembled file added" "NotesSetup")
expect_entry(NotesSetup HAS more.txt)
file(REMOVE "${project}/assets/more.txt")
build_and_expect("an assembled file removed" "NotesSetup")
expect_entry(NotesSetup LACKS more.txt)
build_and_expect("nothing changed at the end" "")

file(REMOVE_RECURSE "${work}")
