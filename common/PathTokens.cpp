// Path tokens: the machine's special folders in stored path values.
#include "common/Globals.h"
#include "platform/PathRules.h"
#include "platform/ShellFolders.h"

namespace quillbray {
namespace {

struct TokenRow {
  const char* token;
  std::string (*folder)();
};

// The order is the order of processing: among nested folders the earlier row
// wins. Tokens 1 to 4 end with "\", which stands for the folder's own
// trailing separator; tokens 5 to 9 do not.
const TokenRow kTokenRows[] = {
    {"[My Documents]\\", GetMyDocumentsDir},
    {"[Desktop]\\", GetDesktopDir},
    {"[TEMP]\\", GetTempDir},
    {"[CSIDL-PROGRAM-FILES]\\", [] { return GetSpecialFolderDir(platform::CSIDL_PROGRAM_FILES); }},
    {"[CSIDL-PROGRAM-FILES-COMMON]", [] { return GetSpecialFolderDir(platform::CSIDL_PROGRAM_FILES_COMMON); }},
    {"[CSIDL-COMMON-DOCUMENTS]", [] { return GetSpecialFolderDir(platform::CSIDL_COMMON_DOCUMENTS); }},
    {"[CSIDL-APPDATA]", [] { return GetSpecialFolderDir(platform::CSIDL_APPDATA); }},
    {"[CSIDL-LOCAL-APPDATA]", [] { return GetSpecialFolderDir(platform::CSIDL_LOCAL_APPDATA); }},
    {"[CSIDL-COMMON-APPDATA]", [] { return GetSpecialFolderDir(platform::CSIDL_COMMON_APPDATA); }},
};

// A value during replacement: the text that was there, and the text that a
// replacement put in, which no later row looks into.
struct Piece {
  std::string text;
  bool putIn = false;
};
using Pieces = std::vector<Piece>;

// Folders are found as file names compare; tokens without regard to case.
using Splitter = std::vector<std::string> (*)(const std::string& text, const std::string& find);

// Replaces find by put in the pieces that were there; answers whether it did.
bool replaceIn(Pieces& pieces, Splitter split, const std::string& find, const std::string& put) {
  bool replaced = false;
  Pieces out;
  for (Piece& piece : pieces) {
    if (piece.putIn) {
      out.push_back(std::move(piece));
      continue;
    }
    const std::vector<std::string> parts = split(piece.text, find);
    for (std::size_t i = 0; i < parts.size(); ++i) {
      if (i > 0) out.push_back({put, true});
      if (!parts[i].empty()) out.push_back({parts[i], false});
    }
    replaced = replaced || parts.size() > 1;
  }
  pieces = std::move(out);
  return replaced;
}

// "[CSIDL_LOCAL_APPDATA]" and "[CSIDL LOCAL APPDATA]" are older spellings of
// "[CSIDL-LOCAL-APPDATA]". Only the text up to the first "]" is respelled.
std::string normaliseCsidlToken(const std::string& value) {
  const std::size_t close = value.find(']');
  if (value.find("[CSIDL") == std::string::npos || close == std::string::npos) return value;
  const std::string head = value.substr(0, close + 1);
  std::string respelled = head;
  for (char& c : respelled)
    if (c == ' ' || c == '_') c = '-';
  return ReplaceIgnoreCase(value, head, respelled);
}

}  // namespace

std::vector<std::string> PathTokenNames() {
  std::vector<std::string> names;
  for (const TokenRow& row : kTokenRows) {
    std::string token = row.token;
    if (token.back() == '\\') token.pop_back();
    names.push_back(token);
  }
  return names;
}

std::string CollapsePathTokens(const std::string& value) {
  Pieces pieces{{value, false}};
  for (const TokenRow& row : kTokenRows) replaceIn(pieces, SplitAtFolder, row.folder(), row.token);
  std::string out;
  for (const Piece& piece : pieces) out += piece.text;
  return out;
}

std::string ExpandPathTokens(const std::string& value) {
  Pieces pieces{{normaliseCsidlToken(value), false}};
  bool expanded = false;
  for (const TokenRow& row : kTokenRows) expanded = replaceIn(pieces, SplitIgnoreCase, row.token, row.folder()) || expanded;
  // The text around the tokens is in the stored form, which this system may
  // write otherwise. The folders put in are this machine's and stay as they
  // are; a value without tokens is not ours to touch.
  std::string out;
  for (Piece& piece : pieces) out += expanded && !piece.putIn ? platform::textAroundTokens(piece.text) : piece.text;
  return out;
}

}  // namespace quillbray
