#include "app/output/output_format.h"

#include "app/support/letter_case.h"

namespace zenthor {

std::optional<OutputFormat> ParseOutputFormat(const std::string& name) {
    const std::string lower = AsciiLower(name);
    if (lower == "glb") {
        return OutputFormat::Glb;
    }
    if (lower == "gltf") {
        return OutputFormat::Gltf;
    }
    if (lower == "obj") {
        return OutputFormat::Obj;
    }
    return std::nullopt;
}

std::optional<OutputFormat> FormatOfPath(const std::filesystem::path& path) {
    const std::string extension = path.extension().string();
    return extension.size() > 1 ? ParseOutputFormat(extension.substr(1)) : std::nullopt;
}

const char* Extension(OutputFormat format) {
    switch (format) {
        case OutputFormat::Glb:
            return ".glb";
        case OutputFormat::Gltf:
            return ".gltf";
        case OutputFormat::Obj:
            return ".obj";
    }
    return "";
}

}  // namespace zenthor
