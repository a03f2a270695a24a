# Embeds an update data folder into an executable as the program's own resources:
#   update.ini          -> "INIFILE" 2000
#   patches/NNNN.pa     -> "FONT_PA" NNNN
#   download-names.txt  -> "DLNAMES" 1
# Windows gets a generated .rc compiled by windres; Linux gets the same blocks
# linked in with .incbin and a table that platform/posix/Resources.cpp reads.

if(WIN32)
  enable_language(RC)
else()
  enable_language(ASM)
endif()

function(tessel_update_data_files dir out_list)
  set(entries "")
  if(EXISTS "${dir}/update.ini")
    list(APPEND entries "INIFILE|2000|${dir}/update.ini")
  endif()
  file(GLOB patches CONFIGURE_DEPENDS "${dir}/patches/*.pa")
  list(SORT patches)
  foreach(p IN LISTS patches)
    get_filename_component(stem "${p}" NAME_WE)
    if(stem MATCHES "^[0-9]+$" AND stem GREATER 0 AND stem LESS 65536)
      list(APPEND entries "FONT_PA|${stem}|${p}")
    else()
      message(WARNING "update data: ${p} is not named by a resource number; left out")
    endif()
  endforeach()
  if(EXISTS "${dir}/download-names.txt")
    list(APPEND entries "DLNAMES|1|${dir}/download-names.txt")
  endif()
  set(${out_list} "${entries}" PARENT_SCOPE)
endfunction()

# The folder is checked with `sabun check` before anything of it is
# embedded: a folder the updater would misread fails the build with the
# check's own words. The check is sabun built for this machine:
# TESSEL_HOST_SABUN when given; else on Linux the build's own, and for the
# Windows builds one built here from the same sources (in host-sabun/, with
# the system's compiler).
set(TESSEL_HOST_SABUN "" CACHE FILEPATH
    "sabun built for this machine (such as build/linux-app/tools/sabun), to check UPDATE_DATA; empty: built here")
if(TESSEL_HOST_SABUN OR WIN32)
  if(TESSEL_HOST_SABUN)
    if(NOT EXISTS "${TESSEL_HOST_SABUN}")
      message(FATAL_ERROR "TESSEL_HOST_SABUN: no such file: ${TESSEL_HOST_SABUN}\n"
                          "Build it (cmake --preset linux-app && cmake --build --preset linux-app), "
                          "or leave TESSEL_HOST_SABUN empty to build one here")
    endif()
    set(tessel_check_tool "${TESSEL_HOST_SABUN}")
    set(tessel_check_depends "${TESSEL_HOST_SABUN}")
  else()
    include(ExternalProject)
    set(host "${CMAKE_BINARY_DIR}/host-sabun")
    ExternalProject_Add(tessel_host_sabun
      SOURCE_DIR "${CMAKE_SOURCE_DIR}"
      BINARY_DIR "${host}"
      CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF
      BUILD_COMMAND ${CMAKE_COMMAND} --build "${host}" --target sabun
      BUILD_BYPRODUCTS "${host}/tools/sabun"
      INSTALL_COMMAND ""
      BUILD_ALWAYS TRUE
      EXCLUDE_FROM_ALL TRUE)
    set(tessel_check_tool "${host}/tools/sabun")
    set(tessel_check_depends tessel_host_sabun "${host}/tools/sabun")
  endif()
endif()

function(tessel_check_update_data target dir files)
  if(tessel_check_tool)
    set(tool "${tessel_check_tool}")
    set(depends ${tessel_check_depends})
  else()
    set(tool "$<TARGET_FILE:sabun>")
    set(depends sabun)
  endif()
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${target}_update_data.checked")
  # The folders as well as the files: a deleted patch changes its folder.
  set(inputs "${dir}" "${dir}/update.ini" ${files})
  if(IS_DIRECTORY "${dir}/patches")
    list(APPEND inputs "${dir}/patches")
  endif()
  add_custom_command(OUTPUT "${stamp}"
    COMMAND "${tool}" check "${dir}"
    COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
    DEPENDS ${depends} ${inputs}
    COMMENT "sabun check ${dir}"
    VERBATIM)
  add_custom_target(${target}_update_data_check DEPENDS "${stamp}")
  add_dependencies(${target} ${target}_update_data_check)
endfunction()

# tessel_embed_update_data(<target> <folder> [CHECKED])
# CHECKED: the folder must pass `sabun check` first (the updater's data; the
# tests embed broken folders on purpose).
function(tessel_embed_update_data target dir)
  get_filename_component(dir "${dir}" ABSOLUTE)
  tessel_update_data_files("${dir}" entries)
  if("CHECKED" IN_LIST ARGN)
    set(checked "")
    foreach(e IN LISTS entries)
      string(REPLACE "|" ";" parts "${e}")
      list(GET parts 2 path)
      list(APPEND checked "${path}")
    endforeach()
    tessel_check_update_data(${target} "${dir}" "${checked}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${dir}")
  set(gen "${CMAKE_CURRENT_BINARY_DIR}/${target}_update_data")
  set(files "")
  if(WIN32)
    # windres refuses a script without resources: an empty folder embeds
    # nothing, and the executable finds no update data.
    if(NOT entries)
      return()
    endif()
    set(rc "// Generated from ${dir}: the update data of this executable.\nLANGUAGE 0x11, 0x01\n")
    foreach(e IN LISTS entries)
      string(REPLACE "|" ";" parts "${e}")
      list(GET parts 0 type)
      list(GET parts 1 number)
      list(GET parts 2 path)
      list(APPEND files "${path}")
      string(APPEND rc "${number} ${type} \"${path}\"\n")
    endforeach()
    file(CONFIGURE OUTPUT "${gen}.rc" CONTENT "${rc}")
    target_sources(${target} PRIVATE "${gen}.rc")
    set_source_files_properties("${gen}.rc" PROPERTIES OBJECT_DEPENDS "${files}")
  else()
    set(asm "/* Generated from ${dir}: the update data of this executable. */\n\t.section .rodata\n")
    set(cpp "// Generated from ${dir}: the table of the update data linked into this executable.\n#include \"platform/EmbeddedResources.h\"\n\nextern \"C\" {\n")
    set(table "")
    set(i 0)
    foreach(e IN LISTS entries)
      string(REPLACE "|" ";" parts "${e}")
      list(GET parts 0 type)
      list(GET parts 1 number)
      list(GET parts 2 path)
      list(APPEND files "${path}")
      string(APPEND asm "\t.balign 16\n\t.global tessel_res_${i}\ntessel_res_${i}:\n\t.incbin \"${path}\"\n\t.global tessel_res_${i}_end\ntessel_res_${i}_end:\n")
      string(APPEND cpp "extern const unsigned char tessel_res_${i}[];\nextern const unsigned char tessel_res_${i}_end[];\n")
      string(APPEND table "    {\"${type}\", ${number}, tessel_res_${i}, tessel_res_${i}_end},\n")
      math(EXPR i "${i} + 1")
    endforeach()
    string(APPEND asm "\t.section .note.GNU-stack,\"\",@progbits\n")
    string(APPEND cpp "}\n\nnamespace platform::detail {\nnamespace {\nconst EmbeddedResource kTable[] = {\n${table}    {nullptr, 0, nullptr, nullptr},\n};\n}  // namespace\n\nconst EmbeddedResource* EmbeddedResourceTable() { return kTable; }\n}  // namespace platform::detail\n")
    file(CONFIGURE OUTPUT "${gen}.S" CONTENT "${asm}")
    file(CONFIGURE OUTPUT "${gen}.cpp" CONTENT "${cpp}")
    target_sources(${target} PRIVATE "${gen}.S" "${gen}.cpp")
    set_source_files_properties("${gen}.S" PROPERTIES OBJECT_DEPENDS "${files}")
    target_include_directories(${target} PRIVATE "${CMAKE_SOURCE_DIR}")
  endif()
endfunction()
