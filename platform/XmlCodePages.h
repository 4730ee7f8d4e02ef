// The legacy encodings of configuration files: the names an XML declaration
// may give (windows-1252, Shift_JIS, EUC-JP, GBK, Big5, KOI8-R...) made
// known to libxml2 with the same reading on every system.
//
// On Linux libxml2 reads them through iconv; on Windows it has no iconv, and
// the system's code pages serve instead. Either way a byte the code page
// leaves unassigned, or a character cut off by the end of the file, is an
// encoding error, as iconv has it.
#pragma once

namespace platform {

// Registers the encodings with libxml2; the first call does the work, later
// ones return at once. Called before each parse.
void registerXmlCodePages();

}  // namespace platform
