#include "fuzz/document_checks.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlschemas.h>
#include <rapidjson/document.h>
#include <rapidjson/schema.h>
#include <rapidjson/stringbuffer.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define ORVEX_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVEX_LEAK_CHECKED 1
#endif
#endif
#ifdef ORVEX_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

namespace {

constexpr int parse_quietly = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

struct xml_doc_free {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using xml_doc = std::unique_ptr<xmlDoc, xml_doc_free>;

xml_doc parse_xml(const std::string& doc) {
  return xml_doc(xmlReadMemory(doc.data(), static_cast<int>(doc.size()), "fuzz.xml", nullptr, parse_quietly));
}

std::string read_text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void ignore_message(void*, const char*, ...) {}

// The GPX schema, parsed once; null where the file is not at hand.
xmlSchema* gpx_schema() {
  static xmlSchema* const schema = [] {
    const std::string path = std::string(ORVEX_SOURCE_DIR) + "/../shared/schemas/gpx-1.1.xsd";
    if (!std::filesystem::exists(path)) return static_cast<xmlSchema*>(nullptr);
    xmlSchemaParserCtxt* parser = xmlSchemaNewParserCtxt(path.c_str());
    xmlSchema* s = parser != nullptr ? xmlSchemaParse(parser) : nullptr;
    xmlSchemaFreeParserCtxt(parser);
    return s;
  }();
  return schema;
}

std::string point_range_error(const xmlNode* node) {
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    if (xmlStrEqual(node->name, BAD_CAST "trkpt")) {
      double coordinate[2] = {};
      const char* const names[2] = {"lat", "lon"};
      for (int i = 0; i < 2; ++i) {
        xmlChar* value = xmlGetProp(node, BAD_CAST names[i]);
        if (value == nullptr) return std::string("a track point without ") + names[i];
        coordinate[i] = std::strtod(reinterpret_cast<const char*>(value), nullptr);
        xmlFree(value);
      }
      if (!(coordinate[0] >= -90.0 && coordinate[0] <= 90.0 && coordinate[1] >= -180.0 && coordinate[1] < 180.0)) {
        return "a track point outside the earth: " + std::to_string(coordinate[0]) + " " + std::to_string(coordinate[1]);
      }
    }
    if (std::string e = point_range_error(node->children); !e.empty()) return e;
  }
  return "";
}

// The names of HTML's void elements: they never close.
bool is_void_element(std::string_view name) {
  for (const std::string_view v : {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta",
                                   "source", "track", "wbr"}) {
    if (name == v) return true;
  }
  return false;
}

// The schema with every object that lists its properties closed to other keys.
void close_objects(rapidjson::Value& schema, rapidjson::Document::AllocatorType& allocator) {
  if (schema.IsObject()) {
    // By index: comparing the library's member iterators is ambiguous in C++20.
    for (rapidjson::SizeType i = 0; i < schema.MemberCount(); ++i) close_objects((schema.MemberBegin() + i)->value, allocator);
    if (schema.HasMember("properties") && !schema.HasMember("additionalProperties")) {
      schema.AddMember("additionalProperties", false, allocator);
    }
  } else if (schema.IsArray()) {
    for (rapidjson::SizeType i = 0; i < schema.Size(); ++i) close_objects(schema[i], allocator);
  }
}

struct summary_schema {
  rapidjson::Document source;
  std::unique_ptr<rapidjson::SchemaDocument> schema;
  int version = 0;
};

const summary_schema& info_schema() {
  static const summary_schema* const loaded = [] {
    auto* s = new summary_schema;
    const std::string text = read_text(std::string(ORVEX_SOURCE_DIR) + "/schemas/info.schema.json");
    s->source.Parse(text.c_str());
    if (s->source.HasParseError() || !s->source.IsObject()) std::abort();  // the schema itself is checked elsewhere
    close_objects(s->source, s->source.GetAllocator());
    s->version = s->source["schema_version"].GetInt();
    // The library loses the copies of the enums' strings, once for the whole run.
#ifdef ORVEX_LEAK_CHECKED
    __lsan_disable();
#endif
    s->schema = std::make_unique<rapidjson::SchemaDocument>(s->source);
#ifdef ORVEX_LEAK_CHECKED
    __lsan_enable();
#endif
    return s;
  }();
  return *loaded;
}

}  // namespace

bool parses_as_xml(const std::string& doc) { return parse_xml(doc) != nullptr; }

std::string csv_cell_count_error(const std::string& doc) {
  std::size_t cells_per_record = 0;
  std::size_t cells = 1;
  std::size_t record = 1;
  bool quoted = false;
  for (std::size_t i = 0; i < doc.size(); ++i) {
    const char c = doc[i];
    if (quoted) {
      if (c == '"' && i + 1 < doc.size() && doc[i + 1] == '"') {
        ++i;
      } else if (c == '"') {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      ++cells;
    } else if (c == '\n') {
      if (record == 1) cells_per_record = cells;
      if (cells != cells_per_record) {
        return "record " + std::to_string(record) + " has " + std::to_string(cells) + " cells, the first " +
               std::to_string(cells_per_record);
      }
      cells = 1;
      ++record;
    }
  }
  if (quoted) return "a quoted cell runs to the end";
  if (!doc.empty() && doc.back() != '\n') return "the last record does not end its line";
  return "";
}

std::string gpx_error(const std::string& doc) {
  const xml_doc parsed = parse_xml(doc);
  if (parsed == nullptr) return "the GPX is not well-formed";
  if (xmlSchema* schema = gpx_schema()) {
    xmlSchemaValidCtxt* validator = xmlSchemaNewValidCtxt(schema);
    xmlSchemaSetValidErrors(validator, ignore_message, ignore_message, nullptr);
    const int invalid = xmlSchemaValidateDoc(validator, parsed.get());
    xmlSchemaFreeValidCtxt(validator);
    if (invalid != 0) return "the GPX does not match its schema";
  }
  return point_range_error(xmlDocGetRootElement(parsed.get()));
}

std::string html_markup_error(const std::string& doc) {
  std::vector<std::string> open;
  std::size_t i = 0;
  while ((i = doc.find('<', i)) != std::string::npos) {
    if (doc.compare(i, 4, "<!--") == 0) {
      i = doc.find("-->", i);
      if (i == std::string::npos) return "a comment that never ends";
      continue;
    }
    if (doc.compare(i, 2, "<!") == 0) {  // the doctype
      i = doc.find('>', i);
      if (i == std::string::npos) return "a doctype that never ends";
      continue;
    }
    const bool closing = doc.compare(i, 2, "</") == 0;
    std::size_t name_end = i + (closing ? 2 : 1);
    while (name_end < doc.size() && (std::isalnum(static_cast<unsigned char>(doc[name_end])) || doc[name_end] == '-')) {
      ++name_end;
    }
    const std::string name = doc.substr(i + (closing ? 2 : 1), name_end - i - (closing ? 2 : 1));
    if (name.empty()) return "a '<' that starts no tag at byte " + std::to_string(i);
    // The tag's end, past quoted attribute values.
    char quote = 0;
    std::size_t end = name_end;
    for (; end < doc.size() && (quote != 0 || doc[end] != '>'); ++end) {
      if (quote != 0 && doc[end] == quote) {
        quote = 0;
      } else if (quote == 0 && (doc[end] == '"' || doc[end] == '\'')) {
        quote = doc[end];
      }
    }
    if (end == doc.size()) return "the tag <" + name + "> never ends";
    i = end + 1;
    if (closing) {
      if (open.empty() || open.back() != name) {
        return "</" + name + "> closes " + (open.empty() ? std::string("nothing") : "<" + open.back() + ">");
      }
      open.pop_back();
    } else if (doc[end - 1] != '/' && !is_void_element(name)) {
      if (name == "script" || name == "style") {  // raw text up to its closing tag
        i = doc.find("</" + name + ">", i);
        if (i == std::string::npos) return "<" + name + "> never closes";
        i += name.size() + 3;
        continue;
      }
      open.push_back(name);
    }
  }
  if (!open.empty()) return "<" + open.back() + "> never closes";
  return "";
}

std::string json_summary_error(const std::string& doc) {
  if (doc.empty() || doc.back() != '\n' || doc.find('\n') != doc.size() - 1) return "the summary is not one line";
  rapidjson::Document parsed;
  parsed.Parse(doc.c_str());
  if (parsed.HasParseError()) return "the summary is not JSON";
  const summary_schema& s = info_schema();
  rapidjson::SchemaValidator validator(*s.schema);
  if (!parsed.Accept(validator)) {
    rapidjson::StringBuffer where;
    validator.GetInvalidDocumentPointer().StringifyUriFragment(where);
    return std::string("the summary does not match its schema (") + validator.GetInvalidSchemaKeyword() + " at " +
           where.GetString() + ")";
  }
  // Compared as plain integers: the library's own comparison operators recurse in C++20.
  if (!parsed.HasMember("schema_version") || !parsed["schema_version"].IsInt() ||
      parsed["schema_version"].GetInt() != s.version) {
    return "the summary has another schema_version than its schema";
  }
  return "";
}
