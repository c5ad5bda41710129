// Names and paths from content files are 8-bit bytes in no declared encoding; output
// formats want UTF-8 (glTF), URIs (glTF) or single lines (OBJ, MTL), and people want
// text.
#pragma once

#include <string>
#include <string_view>

namespace zenthor {

// The text as UTF-8: valid UTF-8 sequences stay as they are, every other byte is taken as
// a Latin-1 character. Never throws, so a name cannot make a JSON writer fail.
std::string ToUtf8(std::string_view bytes);

// True when the bytes are valid UTF-8 throughout.
bool IsUtf8(std::string_view bytes);

// A file name as a person reads it: valid UTF-8 sequences stay as they are, every other
// byte becomes "\xhh", so a name that is not UTF-8 shows its bytes rather than a guess at
// their characters.
std::string ToUtf8Escaped(std::string_view bytes);

// A relative or absolute path with '/' separators as a URI reference: every byte other
// than letters, digits, "-._~" and '/' is percent-encoded.
std::string PathToUri(std::string_view path);

// The text on one line: control characters (line breaks among them) become '_', so a name
// cannot start a new statement in a line-based file.
std::string OneLine(std::string_view text);

}  // namespace zenthor
