# Writes a C++ source that defines a std::string_view holding the bytes of a file, exactly.
# Usage: cmake -DINPUT=<file> -DOUTPUT=<source> -DHEADER=<include> -DNAME=<qualified name> -P embed_text.cmake
# Every byte becomes a hex escape, so nothing of the file (line breaks, quotes, UTF-8, a missing final
# line break) can be changed on the way into the program.
file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" hexLength)
math(EXPR size "${hexLength} / 2")
# Sixty-four bytes to a line of the generated source.
set(escaped "")
set(offset 0)
while(offset LESS hexLength)
    string(SUBSTRING "${bytes}" ${offset} 128 chunk)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" chunk "${chunk}")
    string(APPEND escaped "\n    \"${chunk}\"")
    math(EXPR offset "${offset} + 128")
endwhile()
if(hexLength EQUAL 0)
    set(escaped " \"\"")
endif()
string(REGEX MATCH "^(.*)::([^:]+)$" qualified "${NAME}")
set(namespace "${CMAKE_MATCH_1}")
set(variable "${CMAKE_MATCH_2}")
set(content "// Generated from ${INPUT} at build time; edit that file instead.
#include \"${HEADER}\"

namespace ${namespace} {
namespace {

constexpr char kBytes[] =${escaped};
static_assert(sizeof kBytes - 1 == ${size}, \"the embedded text lost or gained bytes\");

} // namespace

constinit const std::string_view ${variable}{kBytes, sizeof kBytes - 1};

} // namespace ${namespace}
")
# Rewrite only on change, so an unchanged resource does not rebuild the library.
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" previous)
    if(previous STREQUAL content)
        return()
    endif()
endif()
file(WRITE "${OUTPUT}" "${content}")
