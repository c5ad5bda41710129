# cmake -DINPUT=<file.res> -DOUTPUT=<file.cpp> -P ZenthorEmbedResources.cmake
# Writes a C++ source that holds the bytes of a compiled resource file and registers
# them as the resources of whichever module it is linked into, while that module is
# loaded (platform/module_resources.h). Used where modules carry no resources of their own.
file(READ "${INPUT}" hex HEX)
if(hex STREQUAL "")
  message(FATAL_ERROR "${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Twelve bytes a line.
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    " bytes "${bytes}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp" "// Generated from ${name} by cmake/ZenthorEmbedResources.cmake; do not edit.
#include \"platform/module_resources.h\"

namespace {

alignas(4) const unsigned char kResources[] = {
    ${bytes}
};

// Registers the resources for the module that this file is linked into.
const platform::ModuleResourceRegistration kRegistration(kResources, sizeof kResources);

}  // namespace
")
# Only a changed file is rewritten, so an unchanged script rebuilds nothing.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
