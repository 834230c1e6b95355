#include <gtest/gtest.h>

#include <map>
#include <ostream>

#include "settings/AssociationPlan.h"

namespace qnv::settings {

// Readable failures: one operation per line.
void PrintTo(const RegistryOperation& op, std::ostream* out) {
  switch (op.kind) {
    case RegistryOperation::Kind::SetText:
      *out << "SetText  ";
      break;
    case RegistryOperation::Kind::SetNumber:
      *out << "SetNumber";
      break;
    case RegistryOperation::Kind::DeleteKey:
      *out << "Delete   ";
      break;
  }
  *out << " [" << op.key << "] '" << op.valueName << "' = '" << op.text << "' / " << op.number << "\n";
}

namespace {

using Kind = RegistryOperation::Kind;

RegistryOperation text(std::string key, std::string value) { return {Kind::SetText, std::move(key), "", std::move(value), 0}; }
RegistryOperation editFlags(std::string key) { return {Kind::SetNumber, std::move(key), "EditFlags", "", 2}; }
RegistryOperation erase(std::string key) { return {Kind::DeleteKey, std::move(key), "", "", 0}; }

TypeNameLookup noLookup() {
  return [](std::string_view key) -> std::string {
    ADD_FAILURE() << "registration must not read the registry, asked for " << key;
    return {};
  };
}

TEST(AssociationPlan, RegistrationWritesTheFiveValuesInOrder) {
  struct Case {
    const char* name;
    const char* programPath;
    const char* extensions;
    const char* iconPath;
    const char* typeDescription;
    const char* typeName;
    AssociationPlan expected;
  } cases[] = {
      {"the editor's own call",
       "C:\\Tools\\editor.exe", "qnv", "C:\\Tools\\editor.exe", "qnv", "qnv",
       {text("qnv", "qnv"), editFlags("qnv"), text("qnv\\Shell\\Open\\Command", "\"C:\\Tools\\editor.exe\" \"%1\""),
        text("qnv\\DefaultIcon", "C:\\Tools\\editor.exe,0"), text(".qnv", "qnv")}},
      {"blanks in the paths stay inside the quotes",
       "C:\\Program Files\\qnv 编辑器\\qnv.exe", "qnv", "D:\\My Icons\\doc.ico", "qnv 文档", "qnv",
       {text("qnv", "qnv 文档"), editFlags("qnv"),
        text("qnv\\Shell\\Open\\Command", "\"C:\\Program Files\\qnv 编辑器\\qnv.exe\" \"%1\""),
        text("qnv\\DefaultIcon", "D:\\My Icons\\doc.ico,0"), text(".qnv", "qnv")}},
      {"the program path is not trimmed",
       " C:\\a.exe ", "qnv", "i.ico", "d", "t",
       {text("t", "d"), editFlags("t"), text("t\\Shell\\Open\\Command", "\" C:\\a.exe \" \"%1\""),
        text("t\\DefaultIcon", "i.ico,0"), text(".qnv", "t")}},
      {"several extensions, each in its order",
       "C:\\e.exe", "qnv|txt|log", "C:\\e.exe", "文档", "qnvfile",
       {text("qnvfile", "文档"), editFlags("qnvfile"), text("qnvfile\\Shell\\Open\\Command", "\"C:\\e.exe\" \"%1\""),
        text("qnvfile\\DefaultIcon", "C:\\e.exe,0"), text(".qnv", "qnvfile"), text(".txt", "qnvfile"),
        text(".log", "qnvfile")}},
      {"empty icon path means the program, empty type name the whole extensions text",
       "C:\\e.exe", "qnv|txt", "", "文档", "",
       {text("qnv|txt", "文档"), editFlags("qnv|txt"), text("qnv|txt\\Shell\\Open\\Command", "\"C:\\e.exe\" \"%1\""),
        text("qnv|txt\\DefaultIcon", "C:\\e.exe,0"), text(".qnv", "qnv|txt"), text(".txt", "qnv|txt")}},
      {"empty entries between bars are skipped",
       "C:\\e.exe", "|qnv||txt|", "x", "d", "t",
       {text("t", "d"), editFlags("t"), text("t\\Shell\\Open\\Command", "\"C:\\e.exe\" \"%1\""),
        text("t\\DefaultIcon", "x,0"), text(".qnv", "t"), text(".txt", "t")}},
      {"an empty description is written as empty text",
       "C:\\e.exe", "qnv", "x", "", "t",
       {text("t", ""), editFlags("t"), text("t\\Shell\\Open\\Command", "\"C:\\e.exe\" \"%1\""),
        text("t\\DefaultIcon", "x,0"), text(".qnv", "t")}},
      {"no extensions and no type name: nothing at the root", "C:\\e.exe", "", "", "d", "", {}},
      {"a type name with a backslash writes nothing", "C:\\e.exe", "qnv", "", "d", "\\", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(planFileType(c.programPath, c.extensions, c.iconPath, c.typeDescription, c.typeName, noLookup()),
              c.expected)
        << c.name;
  }
}

TEST(AssociationPlan, BlankProgramPathRemovesDeepestFirst) {
  const std::map<std::string, std::string> registry = {{".qnv", "qnvfile"}, {".txt", "txtfile"}};
  std::vector<std::string> asked;
  const TypeNameLookup lookup = [&](std::string_view key) {
    asked.emplace_back(key);
    auto it = registry.find(std::string(key));
    return it == registry.end() ? std::string() : it->second;
  };
  const AssociationPlan removeOne = {erase("qnvfile\\DefaultIcon"),
                                     erase("qnvfile\\Shell\\Open\\Command"),
                                     erase("qnvfile\\Shell\\Open"),
                                     erase("qnvfile\\Shell"),
                                     erase("qnvfile"),
                                     text(".qnv", "")};
  for (const char* blank : {"", " ", "   ", "\t \t"}) {
    asked.clear();
    EXPECT_EQ(planFileType(blank, "qnv", "icon", "desc", "ignored", lookup), removeOne)
        << "program path '" << blank << "'";
    EXPECT_EQ(asked, std::vector<std::string>{".qnv"}) << "program path '" << blank << "'";
  }

  asked.clear();
  AssociationPlan removeTwo = removeOne;
  for (const char* key : {"txtfile\\DefaultIcon", "txtfile\\Shell\\Open\\Command", "txtfile\\Shell\\Open",
                          "txtfile\\Shell", "txtfile"}) {
    removeTwo.push_back(erase(key));
  }
  removeTwo.push_back(text(".txt", ""));
  EXPECT_EQ(planFileType("", "qnv|txt", "", "", "", lookup), removeTwo);
  EXPECT_EQ(asked, (std::vector<std::string>{".qnv", ".txt"}));
}

TEST(AssociationPlan, RemovalWithoutAUsableTypeNameDeletesNothing) {
  struct Case {
    const char* name;
    const char* typeName;
  } cases[] = {
      {"extension key missing or its default value empty", ""},
      {"a type name that starts with a backslash", "\\qnv"},
      {"a type name that is only a backslash", "\\"},
      {"a type name that names a path", "qnv\\..\\Shell"},
  };
  for (const Case& c : cases) {
    const TypeNameLookup lookup = [&](std::string_view) { return std::string(c.typeName); };
    const AssociationPlan plan = planFileType(" ", "qnv", "", "", "", lookup);
    EXPECT_EQ(plan, (AssociationPlan{text(".qnv", "")})) << c.name;
    for (const RegistryOperation& op : plan) {
      EXPECT_NE(op.kind, Kind::DeleteKey) << c.name;
      EXPECT_FALSE(op.key.starts_with("\\")) << c.name << ": " << op.key;
    }
  }

  // One unusable extension does not stop the removal of the others.
  const TypeNameLookup mixed = [](std::string_view key) { return key == ".txt" ? std::string("txtfile") : std::string(); };
  const AssociationPlan plan = planFileType("", "qnv|txt", "", "", "", mixed);
  EXPECT_EQ(plan, (AssociationPlan{text(".qnv", ""), erase("txtfile\\DefaultIcon"),
                                   erase("txtfile\\Shell\\Open\\Command"), erase("txtfile\\Shell\\Open"),
                                   erase("txtfile\\Shell"), erase("txtfile"), text(".txt", "")}));
}

TEST(AssociationPlan, RemovalWithoutLookupOrExtensionsIsHarmless) {
  EXPECT_EQ(planFileType("", "qnv", "", "", "", nullptr), (AssociationPlan{text(".qnv", "")}));
  EXPECT_TRUE(planFileType("", "", "", "", "", nullptr).empty());
  EXPECT_TRUE(planFileType("", "||", "", "", "", nullptr).empty());
}

TEST(AssociationPlan, SplitsExtensionsAtBars) {
  struct Case {
    const char* text;
    std::vector<std::string> expected;
  } cases[] = {
      {"qnv", {"qnv"}}, {"qnv|txt", {"qnv", "txt"}}, {"", {}}, {"|", {}}, {"a||b|", {"a", "b"}}, {"文档|x", {"文档", "x"}},
  };
  for (const Case& c : cases) EXPECT_EQ(splitExtensions(c.text), c.expected) << "'" << c.text << "'";
}

}  // namespace
}  // namespace qnv::settings
