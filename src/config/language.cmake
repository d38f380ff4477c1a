# Language texts. Included from src/CMakeLists.txt; also run as a script
# (cmake -P) at build time to turn english.lng into a byte array, so the
# built-in block is exactly the file's bytes, CR LF and 0xB0 included.

if(CMAKE_SCRIPT_MODE_FILE)
  file(READ "${LANGUAGE_INPUT}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
  file(WRITE "${LANGUAGE_OUTPUT}"
    "// Generated from english.lng by language.cmake; do not edit.\n"
    "#include \"config/language.h\"\n\n"
    "namespace torvel {\nnamespace {\n\n"
    "constexpr unsigned char kBlock[] = {\n${bytes}\n};\n\n"
    "}  // namespace\n\n"
    "std::string_view BuiltInLanguageBlock() {\n"
    "  return {reinterpret_cast<const char*>(kBlock), sizeof kBlock};\n"
    "}\n\n"
    "}  // namespace torvel\n")
  return()
endif()

set(_torvel_lng_cpp ${CMAKE_CURRENT_BINARY_DIR}/config/builtin_language.cpp)
add_custom_command(
  OUTPUT ${_torvel_lng_cpp}
  COMMAND ${CMAKE_COMMAND} -DLANGUAGE_INPUT=${CMAKE_CURRENT_SOURCE_DIR}/config/english.lng
          -DLANGUAGE_OUTPUT=${_torvel_lng_cpp} -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/config/english.lng ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Embedding the built-in English language block"
  VERBATIM)

target_sources(torvel_config PRIVATE ${_torvel_lng_cpp})
