// The floor for the import benchmark: libxml2 parses the file and SQLite
// inserts one row per value element in one transaction, and nothing else.
//
//   import_floor FILE DATABASE [--indexed | --one-pass]
//
// --indexed writes what the import writes into the hives, in a hive's own
// tables (DATABASE for the user's scopes, DATABASE-machine for PerMachine, one
// transaction each): the product's groups become keys
// "Software\Corvellan\Quillbray 4\<group key>" (a known group under its own
// name, any other under "$Unknown\<group>"), each created once; every value
// is upserted into its group's key under its decoded name, folded to upper
// case, with the bytes of its type. It shows what the hive's format costs
// beside the bare floor, still with no project code: the decoding is written
// out here for the generated files (ASCII names and texts).
#include <libxml/parser.h>
#include <sqlite3.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

void insertValues(xmlNode* node, sqlite3_stmt* insert, int depth) {
  for (xmlNode* child = node->children; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    xmlChar* type = xmlGetProp(child, reinterpret_cast<const xmlChar*>("type"));
    if (type) {
      xmlChar* text = xmlNodeGetContent(child);
      sqlite3_bind_text(insert, 1, reinterpret_cast<const char*>(child->name), -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 2, reinterpret_cast<const char*>(type), -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 3, reinterpret_cast<const char*>(text), -1, SQLITE_STATIC);
      sqlite3_step(insert);
      sqlite3_reset(insert);
      xmlFree(text);
      xmlFree(type);
    } else if (depth < 8) {
      insertValues(child, insert, depth + 1);
    }
  }
}

// --one-pass writes what --indexed writes in one pass over the file: libxml2's
// SAX2 events go straight to the hive's tables, each group's values upserted
// 64 rows to a statement, as the import's bulk writes do. No tree is built.

// --- The hive-shaped floor --------------------------------------------------

constexpr const char* kHiveSchema =
    "CREATE TABLE key(id INTEGER PRIMARY KEY, parent INTEGER REFERENCES key(id), name TEXT NOT NULL,"
    "  fold TEXT NOT NULL);"
    "CREATE UNIQUE INDEX key_child ON key(parent, fold);"
    "CREATE TABLE value(key INTEGER NOT NULL REFERENCES key(id), name TEXT NOT NULL, fold TEXT NOT NULL,"
    "  type INTEGER NOT NULL, data BLOB NOT NULL);"
    "CREATE UNIQUE INDEX value_name ON value(key, fold);"
    "INSERT INTO key(id, parent, name, fold) VALUES(1, NULL, '', '');"
    // A hive's marks, so that quillbray-reg reads the result as a hive and the
    // benchmark can compare it with what the import wrote.
    "PRAGMA application_id = 0x51425247; PRAGMA user_version = 1;";

constexpr const char* kProductKey = "Software\\Corvellan\\Quillbray 4";
const char* const kKnownGroups[] = {"AdvOptions", "Activation", "Appearance", "Backup", "Cust Commands", "Delays",
                                    "Dialogs", "Dictionary", "Files", "Persistent Files", "File Paths", "Fonts",
                                    "General", "Logs", "Windows", "Miscellaneous", "MRU", "Network", "Printer",
                                    "Startup", "Updates", "Dont Ask", "$Temp", "$Unknown", "Editor", "Main Window"};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size())
    text.replace(pos, from.size(), to);
  return text;
}

std::string decodeName(std::string s) {
  s = replaceAll(replaceAll(replaceAll(std::move(s), "_0x5B_", "["), "_0x5D_", "]"), "_0x24_", "$");
  for (char& c : s)
    if (c == '_') c = ' ';
  return s;
}

std::string decodeText(std::string s) {
  static const char* const kSteps[][2] = {{"_0x5B_", "["}, {"_0x5D_", "]"}, {"&#34;", "\""}, {"&pos;", "'"},
                                          {"&amp;", "&"},  {"$lt;", "<"},   {"$gt;", ">"},   {"&#36;", "$"}};
  for (const auto& step : kSteps)
    if (s.find(step[0]) != std::string::npos) s = replaceAll(std::move(s), step[0], step[1]);
  for (char& c : s)
    if (c == '_') c = ' ';
  return s;
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool whiteSpaceOnly(const xmlNode* node) {
  if (node->type != XML_TEXT_NODE || !node->content) return false;
  for (const xmlChar* p = node->content; *p; ++p)
    if (!std::isspace(*p)) return false;
  return true;
}

std::vector<xmlNode*> children(const xmlNode* node) {
  std::vector<xmlNode*> out;
  for (xmlNode* child = node->children; child; child = child->next)
    if (!whiteSpaceOnly(child)) out.push_back(child);
  return out;
}

bool isTextElement(const xmlNode* node) {
  const auto kids = children(node);
  return node->type == XML_ELEMENT_NODE && kids.size() == 1 && kids[0]->type == XML_TEXT_NODE;
}

// One hive: its database, its two statements and the keys created so far.
class Hive {
 public:
  explicit Hive(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK || sqlite3_exec(db_, kHiveSchema, nullptr, nullptr, nullptr) ||
        sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr))
      fail("open");
    sqlite3_prepare_v2(db_, "INSERT INTO key(parent, name, fold) VALUES(?1, ?2, ?3)", -1, &key_, nullptr);
    sqlite3_prepare_v2(db_,
                       "INSERT INTO value(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                       "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
                       -1, &value_, nullptr);
  }
  ~Hive() {
    sqlite3_finalize(bulk_);
    sqlite3_finalize(key_);
    sqlite3_finalize(value_);
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) fail("commit");
    sqlite3_close(db_);
  }
  Hive(const Hive&) = delete;
  Hive& operator=(const Hive&) = delete;

  // The key of a path below the root, created the first time a group needs it.
  sqlite3_int64 keyOf(const std::string& path) {
    const std::string folded = upper(path);
    if (auto found = keys_.find(folded); found != keys_.end()) return found->second;
    sqlite3_int64 id = 1;
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = path.find('\\', start);
      const std::string prefix = folded.substr(0, end);
      if (auto found = keys_.find(prefix); found != keys_.end()) {
        id = found->second;
      } else {
        const std::string name = path.substr(start, end == std::string::npos ? end : end - start);
        sqlite3_bind_int64(key_, 1, id);
        sqlite3_bind_text(key_, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(key_, 3, upper(name).c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(key_) != SQLITE_DONE) fail("key");
        sqlite3_reset(key_);
        id = sqlite3_last_insert_rowid(db_);
        keys_.emplace(prefix, id);
      }
      if (end == std::string::npos) return id;
      start = end + 1;
    }
  }

  // One row of a bulk upsert, and the rows of one key written 64 at a time.
  struct Row {
    std::string name, fold;
    int type;
    std::vector<std::uint8_t> data;
  };
  void upsertRows(sqlite3_int64 key, std::vector<Row>& rows) {
    static const std::uint8_t empty = 0;
    std::size_t done = 0;
    for (; rows.size() - done >= kBulkRows; done += kBulkRows) {
      if (!bulk_) {
        std::string sql = "INSERT INTO value(key, name, fold, type, data) VALUES";
        for (std::size_t r = 0; r < kBulkRows; ++r) sql += r == 0 ? "(?1, ?, ?, ?, ?)" : ", (?1, ?, ?, ?, ?)";
        sql += " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data";
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &bulk_, nullptr) != SQLITE_OK) fail("bulk");
      }
      sqlite3_bind_int64(bulk_, 1, key);
      for (std::size_t r = 0; r < kBulkRows; ++r) {
        const Row& row = rows[done + r];
        const int p = static_cast<int>(2 + 4 * r);
        sqlite3_bind_text(bulk_, p, row.name.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(bulk_, p + 1, row.fold.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(bulk_, p + 2, row.type);
        sqlite3_bind_blob(bulk_, p + 3, row.data.empty() ? &empty : row.data.data(), static_cast<int>(row.data.size()),
                          SQLITE_STATIC);
      }
      if (sqlite3_step(bulk_) != SQLITE_DONE) fail("bulk value");
      sqlite3_reset(bulk_);
    }
    for (; done < rows.size(); ++done) upsert(key, rows[done].name, rows[done].type, rows[done].data);
    rows.clear();
  }

  void upsert(sqlite3_int64 key, const std::string& name, int type, const std::vector<std::uint8_t>& data) {
    static const std::uint8_t empty = 0;
    sqlite3_bind_int64(value_, 1, key);
    sqlite3_bind_text(value_, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(value_, 3, upper(name).c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(value_, 4, type);
    sqlite3_bind_blob(value_, 5, data.empty() ? &empty : data.data(), static_cast<int>(data.size()),
                      SQLITE_TRANSIENT);
    if (sqlite3_step(value_) != SQLITE_DONE) fail("value");
    sqlite3_reset(value_);
  }

 private:
  [[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "import_floor: %s: %s\n", what, sqlite3_errmsg(db_));
    std::exit(1);
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt* key_ = nullptr;
  sqlite3_stmt* value_ = nullptr;
  sqlite3_stmt* bulk_ = nullptr;
  static constexpr std::size_t kBulkRows = 64;
  std::unordered_map<std::string, sqlite3_int64> keys_;  // folded path -> id
};

// The walk: the user's scopes go to DATABASE, PerMachine to DATABASE-machine
// (opened at its first value), as the import writes the machine hive when it
// can.
class HiveFloor {
 public:
  explicit HiveFloor(std::string path) : path_(std::move(path)) {}

  void product(const xmlNode* product) {
    for (const xmlNode* scope : children(product)) {
      if (scope->type != XML_ELEMENT_NODE || isTextElement(scope)) continue;
      const bool machine = std::string(reinterpret_cast<const char*>(scope->name)) == "PerMachine";
      for (const xmlNode* child : children(scope)) {
        if (isTextElement(child)) {
          value(machine, kProductKey, child);  // a loose value
          continue;
        }
        if (child->type != XML_ELEMENT_NODE || children(child).empty()) continue;
        const std::string group = decodeName(reinterpret_cast<const char*>(child->name));
        const std::string folded = upper(group);
        if (group == "Schedules" || folded.find("$TEMP") != std::string::npos ||
            folded.find("$UNKNOWN") != std::string::npos)
          continue;
        const std::string key = std::string(kProductKey) + "\\" + groupKey(group, folded);
        for (const xmlNode* v : children(child)) value(machine, key, v);
      }
    }
  }

 private:
  static std::string groupKey(const std::string& group, const std::string& folded) {
    for (const char* known : kKnownGroups)
      if (upper(known) == folded) return known;
    return "$Unknown\\" + group;
  }

  Hive& hive(bool machine) {
    auto& hive = machine ? machine_ : user_;
    if (!hive) hive = std::make_unique<Hive>(machine ? path_ + "-machine" : path_);
    return *hive;
  }

  void value(bool machine, const std::string& keyPath, const xmlNode* node) {
    xmlChar* typeAttr = xmlGetNoNsProp(node, reinterpret_cast<const xmlChar*>("type"));
    if (!typeAttr) return;
    const std::string type = reinterpret_cast<const char*>(typeAttr);
    xmlFree(typeAttr);
    std::string text;
    if (isTextElement(node)) text = decodeText(reinterpret_cast<const char*>(children(node)[0]->content));
    std::vector<std::uint8_t> data;
    const int regType = storedForm(type, text, data);
    if (regType < 0) return;
    Hive& h = hive(machine);
    h.upsert(h.keyOf(keyPath), decodeName(reinterpret_cast<const char*>(node->name)), regType, data);
  }

 public:
  // The registry type and bytes of a value of the type, -1 for an unknown type.
  static int storedForm(const std::string& type, const std::string& text, std::vector<std::uint8_t>& data) {
    int regType = 4;  // REG_DWORD
    if (type == "integer" || type == "boolean") {
      auto n = static_cast<std::uint32_t>(std::strtol(text.c_str(), nullptr, 10));
      if (type == "boolean") n = n != 0;
      data = {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)};
    } else if (type == "string") {
      regType = 1;  // REG_SZ, with its NUL
      data.assign(text.begin(), text.end());
      data.push_back(0);
    } else if (type == "binary") {
      regType = 3;  // REG_BINARY
      std::string digits;
      for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
      for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        data.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    } else {
      return -1;
    }
    return regType;
  }

  static std::string groupKeyOf(const std::string& group) { return groupKey(group, upper(group)); }
  Hive& hiveOf(bool machine) { return hive(machine); }

 private:
  std::string path_;
  std::unique_ptr<Hive> user_;
  std::unique_ptr<Hive> machine_;
};

void insertHive(const char* path, xmlNode* root) {
  HiveFloor floor(path);
  for (xmlNode* child = root->children; child; child = child->next)
    if (child->type == XML_ELEMENT_NODE && upper(reinterpret_cast<const char*>(child->name)) == "QUILLBRAY")
      floor.product(child);
}

// The one pass: the element depth says what an element is (2 the product,
// 3 a scope, 4 a group or a loose value, 5 a group's value); a value's text
// is gathered until its end tag.
struct OnePass {
  explicit OnePass(const char* path) : floor(path) {}
  HiveFloor floor;
  int depth = 0;
  bool inProduct = false, machine = false, skipGroup = false, inValue = false;
  std::string type, name, text;
  sqlite3_int64 key = 0;
  bool keyMachine = false;
  std::vector<Hive::Row> rows;

  void flush() {
    if (!rows.empty()) floor.hiveOf(keyMachine).upsertRows(key, rows);
  }
  void useKey(const std::string& path) {
    flush();
    keyMachine = machine;
    key = floor.hiveOf(machine).keyOf(path);
  }
};

void onStart(void* ctx, const xmlChar* localname, const xmlChar*, const xmlChar*, int, const xmlChar**, int nAttributes,
             int, const xmlChar** attributes) {
  auto& p = *static_cast<OnePass*>(ctx);
  const std::string name = reinterpret_cast<const char*>(localname);
  ++p.depth;
  std::string type;
  for (int i = 0; i < nAttributes; ++i)
    if (std::string(reinterpret_cast<const char*>(attributes[5 * i])) == "type")
      type.assign(reinterpret_cast<const char*>(attributes[5 * i + 3]), reinterpret_cast<const char*>(attributes[5 * i + 4]));
  if (p.depth == 2) p.inProduct = upper(name) == "QUILLBRAY";
  if (!p.inProduct) return;
  if (p.depth == 3) p.machine = name == "PerMachine";
  if (p.depth == 4 && type.empty()) {  // a group
    const std::string group = decodeName(name), folded = upper(group);
    p.skipGroup = group == "Schedules" || folded.find("$TEMP") != std::string::npos ||
                  folded.find("$UNKNOWN") != std::string::npos;
    if (!p.skipGroup) p.useKey(std::string(kProductKey) + "\\" + HiveFloor::groupKeyOf(group));
    return;
  }
  if ((p.depth == 4 || (p.depth == 5 && !p.skipGroup)) && !type.empty()) {
    if (p.depth == 4) p.useKey(kProductKey);  // a loose value
    p.inValue = true;
    p.type = type;
    p.name = name;
    p.text.clear();
  }
}

void onEnd(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto& p = *static_cast<OnePass*>(ctx);
  if (p.inValue && (p.depth == 4 || p.depth == 5)) {
    p.inValue = false;
    Hive::Row row{decodeName(p.name), "", 0, {}};
    row.fold = upper(row.name);
    row.type = HiveFloor::storedForm(p.type, decodeText(p.text), row.data);
    if (row.type >= 0) p.rows.push_back(std::move(row));
    if (p.depth == 4) p.flush();
  } else if (p.depth == 4) {
    p.flush();
  }
  --p.depth;
}

void onCharacters(void* ctx, const xmlChar* text, int length) {
  auto& p = *static_cast<OnePass*>(ctx);
  if (p.inValue) p.text.append(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
}

int onePass(const char* file, const char* path) {
  xmlSAXHandler sax{};
  sax.initialized = XML_SAX2_MAGIC;
  sax.startElementNs = onStart;
  sax.endElementNs = onEnd;
  sax.characters = onCharacters;
  OnePass pass(path);
  const int rc = xmlSAXUserParseFile(&sax, &pass, file);
  pass.flush();
  return rc == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[3]) == "--one-pass") return onePass(argv[1], argv[2]);
  const bool indexed = argc == 4 && std::string(argv[3]) == "--indexed";
  if (argc != 3 && !indexed) {
    std::fprintf(stderr, "usage: import_floor FILE DATABASE [--indexed | --one-pass]\n");
    return 2;
  }
  xmlDoc* doc = xmlReadFile(argv[1], nullptr, XML_PARSE_NONET);
  if (!doc) return 1;
  if (indexed) {
    insertHive(argv[2], xmlDocGetRootElement(doc));
  } else {
    sqlite3* db = nullptr;
    sqlite3_open(argv[2], &db);
    sqlite3_exec(db, "CREATE TABLE value(name TEXT, type TEXT, data BLOB); BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO value VALUES(?1, ?2, ?3)", -1, &insert, nullptr);
    insertValues(xmlDocGetRootElement(doc), insert, 0);
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  xmlFreeDoc(doc);
  return 0;
}
