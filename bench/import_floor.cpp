// The floor for the import benchmark: libxml2 parses the file and SQLite
// inserts one row per value element in one transaction, and nothing else.
//
//   import_floor FILE DATABASE [--indexed]
//
// --indexed inserts into a table shaped as a hive's value table (a unique
// index on key and name, and an upsert), to show what the hive's own format
// costs beside the bare floor.
#include <libxml/parser.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
  const bool indexed = argc == 4 && std::string(argv[3]) == "--indexed";
  if (argc != 3 && !indexed) {
    std::fprintf(stderr, "usage: import_floor FILE DATABASE [--indexed]\n");
    return 2;
  }
  xmlDoc* doc = xmlReadFile(argv[1], nullptr, XML_PARSE_NONET);
  if (!doc) return 1;
  sqlite3* db = nullptr;
  sqlite3_open(argv[2], &db);
  sqlite3_exec(db,
               indexed ? "CREATE TABLE value(key INTEGER DEFAULT 1, name TEXT, type TEXT, data BLOB);"
                         "CREATE UNIQUE INDEX value_name ON value(key, name); BEGIN"
                       : "CREATE TABLE value(name TEXT, type TEXT, data BLOB); BEGIN",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db,
                     indexed ? "INSERT INTO value(name, type, data) VALUES(?1, ?2, ?3) "
                               "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data"
                             : "INSERT INTO value VALUES(?1, ?2, ?3)",
                     -1, &insert, nullptr);
  insertValues(xmlDocGetRootElement(doc), insert, 0);
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  xmlFreeDoc(doc);
  return 0;
}
