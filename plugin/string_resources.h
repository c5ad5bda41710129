// Texts of the plug-in's string table.
#pragma once

namespace zenthor {

// The text of string `id` in one buffer of 256 characters shared by every call
// (and by LibDescription): each call overwrites the text of the one before, so
// a caller that needs a text for longer copies it. At most 255 characters are
// kept. Null when the module handle is not known yet or the string cannot be
// loaded.
const char* GetString(int id);

}  // namespace zenthor
