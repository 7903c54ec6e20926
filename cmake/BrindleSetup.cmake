# brindle_add_setup(): a target that packs a product's setup package at build time.
#
#   brindle_add_setup(<name> STUB <target or file> PAYLOAD_DIR <folder> LICENCE <file>
#                     LASTRUN <path> [DESKTOP <name>=<path>...] [TASKBAR <name>=<path>...]
#                     [PRODUCT_VERSION <text>]
#                     [PRODUCT_NAME <text> [PRODUCT_ID <id>] [PUBLISHER <text>]
#                      [HELP_LINK <url>] [LANGUAGE zh|en|auto|<tag>]
#                      [REMOVE_ON_UNINSTALL <path>...] [TEXTS <file.json>...]]
#                     [SCOPE user|machine|both] [SHORTCUTS all-users|current-user]
#                     [SKIN <file>] [ICON <file.ico>]
#                     [SIGN CERT <file> [KEY <file>] [PASSWORD_FILE <file> | PASSWORD_ENV <name>]
#                           [TIMESTAMP <url>]]
#                     [OUTPUT <file>] [DEPENDS <targets or files>...])
#
# Writes OUTPUT (default <current binary dir>/<name>.exe) with "brindle-pack pack" and adds the
# target <name> (built by default) for it. The arguments are the pack options of the same names
# (tools/README.md). The package is packed again when the packer, the stub, the licence, the
# skin, the icon, the signing files or anything named by DEPENDS changes, and when a file of
# PAYLOAD_DIR is edited, added or removed: every build lists the payload folder (paths, sizes,
# modification times) into <name>.payload-listing, rewritten only when it differs, after the
# targets named by DEPENDS (name the targets that assemble a payload folder at build time there).
# The target's property BRINDLE_SETUP_FILE holds OUTPUT.
#
# The packer: the cache variable BRINDLE_PACKER when set (a brindle-pack that runs on the build
# machine); otherwise the project's own brindle-pack target in a native build of Brindle;
# otherwise a native brindle-pack built by an ExternalProject in <binary dir>/native-packer with
# the build machine's compilers and no sanitizers, from the Brindle sources this module belongs
# to (the folder above it). That is how the Windows tree on Linux (whose programs cannot run at
# build time) and a product's own project that includes this module get their packer. The
# packer's output does not depend on the system it runs on: every packer makes the same bytes
# from the same inputs.
include_guard(GLOBAL)
include(ExternalProject)

# The Brindle sources this module belongs to, and the listing script beside it.
get_filename_component(_BRINDLE_SETUP_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(_BRINDLE_SETUP_LISTING_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/BrindleSetupListing.cmake")

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
    set(root ${_BRINDLE_SETUP_SOURCE_ROOT})
    if(NOT EXISTS ${root}/CMakeLists.txt OR NOT EXISTS ${root}/tools/brindle_pack.cpp)
      message(FATAL_ERROR "brindle_add_setup(): no packer to pack with. Set BRINDLE_PACKER to a "
        "brindle-pack that runs on this machine (-DBRINDLE_PACKER=/path/to/brindle-pack), or "
        "include cmake/BrindleSetup.cmake from a complete Brindle source tree (${root} is not one).")
    endif()
    set(native ${CMAKE_BINARY_DIR}/native-packer)
    set(cache_argument)
    if(BRINDLE_CACHE)
      set(cache_argument -DBRINDLE_CACHE=${BRINDLE_CACHE})
    endif()
    if(NOT TARGET brindle_native_packer)
      ExternalProject_Add(brindle_native_packer
        SOURCE_DIR ${root}
        BINARY_DIR ${native}
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DBRINDLE_SANITIZE=OFF -DBRINDLE_FUZZ=OFF
                   ${cache_argument}
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
    "STUB;PAYLOAD_DIR;LICENCE;LASTRUN;PRODUCT_VERSION;PRODUCT_ID;PRODUCT_NAME;PUBLISHER;HELP_LINK;LANGUAGE;SCOPE;SHORTCUTS;SKIN;ICON;OUTPUT"
    "DESKTOP;TASKBAR;REMOVE_ON_UNINSTALL;TEXTS;SIGN;DEPENDS")
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
  foreach(file SKIN ICON)
    if(arg_${file})
      get_filename_component(arg_${file} ${arg_${file}} ABSOLUTE
                             BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    endif()
  endforeach()
  list(APPEND depends ${arg_STUB} ${arg_LICENCE} ${arg_SKIN} ${arg_ICON} ${arg_DEPENDS})

  # The payload's listing: its step runs on every build (its output is never made), after what
  # DEPENDS names, and rewrites the listing only when the payload changed.
  set(listing ${CMAKE_CURRENT_BINARY_DIR}/${name}.payload-listing)
  set(always ${CMAKE_CURRENT_BINARY_DIR}/${name}.payload-listing.always)
  add_custom_command(OUTPUT ${always}
    BYPRODUCTS ${listing}
    COMMAND ${CMAKE_COMMAND} -DPAYLOAD_DIR=${arg_PAYLOAD_DIR} -DLISTING=${listing}
            -P ${_BRINDLE_SETUP_LISTING_SCRIPT}
    DEPENDS ${arg_DEPENDS}
    COMMENT "Listing the payload of ${name}"
    VERBATIM)
  set_source_files_properties(${always} PROPERTIES SYMBOLIC TRUE)
  list(APPEND depends ${listing} ${_BRINDLE_SETUP_LISTING_SCRIPT})

  set(command ${packer} pack --stub ${stub} --payload ${arg_PAYLOAD_DIR}
              --licence ${arg_LICENCE} --lastrun ${arg_LASTRUN} --progress never
              --output ${arg_OUTPUT})
  foreach(shortcut ${arg_DESKTOP})
    list(APPEND command --desktop ${shortcut})
  endforeach()
  foreach(shortcut ${arg_TASKBAR})
    list(APPEND command --taskbar ${shortcut})
  endforeach()
  foreach(option PRODUCT_VERSION PRODUCT_ID PRODUCT_NAME PUBLISHER HELP_LINK LANGUAGE SCOPE SHORTCUTS
                 SKIN ICON)
    if(DEFINED arg_${option})
      string(TOLOWER ${option} flag)
      string(REPLACE "_" "-" flag ${flag})
      list(APPEND command --${flag} ${arg_${option}})
    endif()
  endforeach()
  foreach(path ${arg_REMOVE_ON_UNINSTALL})
    list(APPEND command --remove-on-uninstall ${path})
  endforeach()
  foreach(file ${arg_TEXTS})
    get_filename_component(file ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND command --texts ${file})
    list(APPEND depends ${file})
  endforeach()
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
  # The listing step belongs to the target; the packing depends on its listing file only.
  add_custom_target(${name} ALL DEPENDS ${arg_OUTPUT} ${always})
  set_target_properties(${name} PROPERTIES BRINDLE_SETUP_FILE ${arg_OUTPUT})
endfunction()
