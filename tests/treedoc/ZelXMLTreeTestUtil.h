#pragma once
// Shared helpers of the tree document component's tests: temporary files and outline dumps.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "outline/TreeView.h"
#include "treedoc/ZelXMLTree.h"

namespace zeltest {

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    char path[] = "/tmp/zeltest-XXXXXX";
    FPath = mkdtemp(path);
  }
  ~TempDir() { std::system(("rm -rf '" + FPath + "'").c_str()); }
  const std::string& Path() const { return FPath; }
  std::string File(const std::string& name) const { return FPath + "/" + name; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = File(name);
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

 private:
  std::string FPath;
};

inline std::string ReadAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// One line per node: its level as TABs, its text, LF.
inline std::string OutlineOf(const zel::TTreeView& tree) {
  std::string out;
  for (const zel::TTreeNode* n = tree.GetFirstNode(); n != nullptr; n = n->GetNext()) {
    out.append(static_cast<size_t>(n->Level()), '\t');
    out += std::string(n->Text()) + "\n";
  }
  return out;
}

// A component linked to its own tree view, recording every event.
struct Recorder {
  zel::TTreeView tree;
  zel::TZelXMLTree component;
  std::vector<zel::TZelXMLTreeStates> states;
  std::vector<int> progress;

  Recorder() {
    component.SetTreeView(&tree);
    component.OnStateChange = [this](zel::TZelXMLTree&, zel::TZelXMLTreeStates s) {
      states.push_back(s);
    };
    component.OnProgress = [this](zel::TZelXMLTree&, zel::TZelXMLTreeStates, uint16_t p) {
      progress.push_back(p);
    };
  }
  void Reset() {
    states.clear();
    progress.clear();
  }
};

// The outline a file with these bytes loads to, and the bytes its save writes.
struct RoundTrip {
  std::string Outline;
  std::string Saved;
};

inline RoundTrip LoadAndSave(const std::string& bytes) {
  TempDir dir;
  Recorder r;
  r.component.LoadFromFile(dir.Write("t.xml", bytes));
  RoundTrip result{OutlineOf(r.tree), ""};
  r.component.SaveToFile(dir.File("saved.xml"));
  result.Saved = ReadAll(dir.File("saved.xml"));
  return result;
}

inline const char* kBooks =
    "<?xml version=\"1.0\"?>\r\n"
    "<catalog>\r\n"
    "  <book id=\"1\">\r\n"
    "    <title>XML Basics</title>\r\n"
    "    <price>10</price>\r\n"
    "  </book>\r\n"
    "  <note/>\r\n"
    "</catalog>\r\n";

inline const char* kBooksOutline =
    "books.xml\n"
    "\t<?xml version=\"1.0\" ?>\n"
    "\t<catalog>\n"
    "\t\t<book id=\"1\">\n"
    "\t\t\t<title>XML Basics</title>\n"
    "\t\t\t<price>10</price>\n"
    "\t\t<note />\n";

inline const char* kBooksSaved =
    "<?xml version=\"1.0\" ?>\r\n"
    "<catalog>\r\n"
    "\t<book id=\"1\">\r\n"
    "\t\t<title>XML Basics</title>\r\n"
    "\t\t<price>10</price>\r\n"
    "\t</book>\r\n"
    "\t<note />\r\n"
    "</catalog>\r\n";

}  // namespace zeltest
