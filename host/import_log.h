// What an importer tells the host's log about one import, in the order it meets things:
// the title names the kind of entry and the text carries its fields, separated by tabs.
// The host groups entries by title to tell its user what was read and what was left out.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace import_log {

// SYSLOG_INFO: a file the import read in its place (name, path).
inline constexpr const char* kReferenceLoaded = "reference loaded";
// SYSLOG_WARN, one per thing left out:
inline constexpr const char* kReferenceMissing = "reference missing";           // name, path
inline constexpr const char* kReferenceFiltered = "reference filtered as lod";  // name, path
inline constexpr const char* kReferenceRefused = "reference refused";           // name, path, why
// A referenced file that was read but gave no mesh: what was wrong with it, and where.
inline constexpr const char* kReferenceMalformed = "reference malformed";       // name, path, why
inline constexpr const char* kMeshEntryDropped = "mesh entry dropped";          // file, why
inline constexpr const char* kTrianglesDropped = "triangles dropped";           // object, count, why
inline constexpr const char* kTextureNotFound = "texture not found";            // object, path
inline constexpr const char* kObjectNotCreated = "object not created";          // object

// Why a reference was refused (the third field of kReferenceRefused).
inline constexpr const char* kRefusedCycle = "cycle";
inline constexpr const char* kRefusedDepth = "depth limit";
inline constexpr const char* kRefusedFileLimit = "file limit";

// Fields joined by tabs; a tab, newline or backslash inside a field is escaped, since names
// come from files and may hold anything but NUL.
inline std::string JoinFields(std::initializer_list<std::string_view> fields) {
    std::string text;
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) text += '\t';
        first = false;
        for (char c : field) {
            if (c == '\\') text += "\\\\";
            else if (c == '\t') text += "\\t";
            else if (c == '\n') text += "\\n";
            else text += c;
        }
    }
    return text;
}

inline std::vector<std::string> SplitFields(std::string_view text) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

}  // namespace import_log
