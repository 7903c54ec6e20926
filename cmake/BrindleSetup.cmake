# brindle_add_setup(): a target that packs a product's setup package at build time.
#
#   brindle_add_setup(<name> STUB <target or file> PAYLOAD_DIR <folder> LICENCE <file>
#                     LASTRUN <path> [DESKTOP <name>=<path>...] [TASKBAR <name>=<path>...]
#                     [PRODUCT_VERSION <text>]
#                     [SIGN CERT <file> [KEY <file>] [PASSWORD_FILE <file> | PASSWORD_ENV <name>]
#                           [TIMESTAMP <url>]]
#                     [OUTPUT <file>] [DEPENDS <targets or files>...])
#
# Writes OUTPUT (default <current binary dir>/<name>.exe) with "brindle-pack pack" and adds the
# target <name> (built by default) for it. The package is packed again when the packer, the stub,
# the licence, the signing files, a file found in PAYLOAD_DIR when CMake ran, or anything named by
# DEPENDS changes; a payload folder assembled at build time is named by the targets and files
# that make it (DEPENDS). The target's property BRINDLE_SETUP_FILE holds OUTPUT.
#
# The packer: the cache variable BRINDLE_PACKER when set (a brindle-pack that runs on the build
# machine); otherwise the project's own brindle-pack target in a native build; otherwise, in a
# cross build (the Windows tree on Linux, whose programs cannot run at build time), a native
# brindle-pack built from the same sources by an ExternalProject in <binary dir>/native-packer
# with the build machine's compilers and no sanitizers. The packer's output does not depend on
# the system it runs on: every packer makes the same bytes from the same inputs.
include_guard(GLOBAL)
include(ExternalProject)

set(BRINDLE_PACKER "" CACHE FILEPATH
    "brindle-pack to pack setups with at build time (empty: built from this source tree)")

# Sets `out_program` to the packer's path and `out_depends` to what the packing step depends on.
function(_brindle_setup_packer out_program out_depends)
  if(BRINDLE_PACKER)
    set(${out_program} ${BRINDLE_PACKER} PARENT_SCOPE)
    set(${out_depends} ${BRINDLE_PACKER} PARENT_SCOPE)
  elseif(NOT CMAKE_CROSSCOMPILING AND TARGET brindle-pack)
    set(${out_program} $<TARGET_FILE:brindle-pack> PARENT_SCOPE)
    set(${out_depends} brindle-pack PARENT_SCOPE)
  else()
    set(native ${CMAKE_BINARY_DIR}/native-packer)
    if(NOT TARGET brindle_native_packer)
      ExternalProject_Add(brindle_native_packer
        SOURCE_DIR ${BRINDLE_ROOT}
        BINARY_DIR ${native}
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DBRINDLE_SANITIZE=OFF -DBRINDLE_FUZZ=OFF
                   -DBRINDLE_CACHE=${BRINDLE_CACHE}
        BUILD_COMMAND ${CMAKE_COMMAND} --build ${native} --target brindle-pack
        BUILD_BYPRODUCTS ${native}/tools/brindle-pack
        INSTALL_COMMAND ""
        # The sub-build follows every change of the sources; an up-to-date one costs a moment.
        BUILD_ALWAYS TRUE
        EXCLUDE_FROM_ALL TRUE)
    endif()
    set(${out_program} ${native}/tools/brindle-pack PARENT_SCOPE)
    set(${out_depends} brindle_native_packer ${native}/tools/brindle-pack PARENT_SCOPE)
  endif()
endfunction()

function(brindle_add_setup name)
  cmake_parse_arguments(PARSE_ARGV 1 arg ""
    "STUB;PAYLOAD_DIR;LICENCE;LASTRUN;PRODUCT_VERSION;OUTPUT" "DESKTOP;TASKBAR;SIGN;DEPENDS")
  foreach(required STUB PAYLOAD_DIR LICENCE LASTRUN)
    if(NOT arg_${required})
      message(FATAL_ERROR "brindle_add_setup(${name}): ${required} is required")
    endif()
  endforeach()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "brindle_add_setup(${name}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_OUTPUT)
    set(arg_OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}.exe)
  endif()

  _brindle_setup_packer(packer depends)
  if(TARGET ${arg_STUB})
    set(stub $<TARGET_FILE:${arg_STUB}>)
  else()
    set(stub ${arg_STUB})
  endif()
  list(APPEND depends ${arg_STUB} ${arg_LICENCE} ${arg_DEPENDS})
  if(EXISTS ${arg_PAYLOAD_DIR})
    file(GLOB_RECURSE payload_files CONFIGURE_DEPENDS ${arg_PAYLOAD_DIR}/*)
    list(APPEND depends ${payload_files})
  endif()

  set(command ${packer} pack --stub ${stub} --payload ${arg_PAYLOAD_DIR}
              --licence ${arg_LICENCE} --lastrun ${arg_LASTRUN} --progress never
              --output ${arg_OUTPUT})
  foreach(shortcut ${arg_DESKTOP})
    list(APPEND command --desktop ${shortcut})
  endforeach()
  foreach(shortcut ${arg_TASKBAR})
    list(APPEND command --taskbar ${shortcut})
  endforeach()
  if(arg_PRODUCT_VERSION)
    list(APPEND command --product-version ${arg_PRODUCT_VERSION})
  endif()
  if(arg_SIGN)
    cmake_parse_arguments(sign "" "CERT;KEY;PASSWORD_FILE;PASSWORD_ENV;TIMESTAMP" "" ${arg_SIGN})
    if(NOT sign_CERT OR sign_UNPARSED_ARGUMENTS)
      message(FATAL_ERROR "brindle_add_setup(${name}): SIGN takes CERT <file> [KEY <file>] "
                          "[PASSWORD_FILE <file> | PASSWORD_ENV <name>] [TIMESTAMP <url>]")
    endif()
    list(APPEND command --cert ${sign_CERT})
    list(APPEND depends ${sign_CERT})
    foreach(option KEY PASSWORD_FILE PASSWORD_ENV TIMESTAMP)
      if(sign_${option})
        string(TOLOWER ${option} flag)
        string(REPLACE "_" "-" flag ${flag})
        list(APPEND command --${flag} ${sign_${option}})
        if(option STREQUAL "KEY" OR option STREQUAL "PASSWORD_FILE")
          list(APPEND depends ${sign_${option}})
        endif()
      endif()
    endforeach()
  endif()

  add_custom_command(OUTPUT ${arg_OUTPUT}
    COMMAND ${command}
    DEPENDS ${depends}
    COMMENT "Packing the setup package ${name}"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${arg_OUTPUT})
  set_target_properties(${name} PROPERTIES BRINDLE_SETUP_FILE ${arg_OUTPUT})
endfunction()
