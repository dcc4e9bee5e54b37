#include "treedoc/ZelXMLTree.h"

#include <exception>
#include <string_view>
#include <utility>
#include <vector>

#include "base/StrUtils.h"
#include "base/StringList.h"
#include "base/UpdateGuard.h"
#include "fileio/VyTextFile.h"
#include "platform/CodePage.h"
#include "platform/FileRead.h"
#include "platform/SafeFile.h"
#include "treedoc/DeclaredEncoding.h"
#include "treedoc/LoadChecks.h"
#include "treedoc/LoadText.h"
#include "treedoc/OutlineRewrite.h"
#include "treedoc/SectionLineTrim.h"
#include "treedoc/StagedNodes.h"
#include "treedoc/TreeView.h"
#include "treedoc/XMLOutline.h"
#include "treedoc/XMLSave.h"
#include "xml/MorXMLTree.h"
#include "xml/TokenLines.h"
#include "xml/internal/Tokenizer.h"

namespace zel {

namespace {

constexpr DWORD kNoSharing = 0;
constexpr uint32_t kDefaultBufferSize = 0;
constexpr uint16_t kSystemCodePage = 0;

}  // namespace

const char* ZelXMLTreeStateName(TZelXMLTreeStates state) {
  switch (state) {
    case zxtsCanceled:
      return "zxtsCanceled";
    case zxtsLoading:
      return "zxtsLoading";
    case zxtsWriting:
      return "zxtsWriting";
    case zxtsAligning:
      return "zxtsAligning";
    case zxtsBuildTree:
      return "zxtsBuildTree";
    case zxtsDone:
      return "zxtsDone";
  }
  return "?";
}

void TZelXMLTree::CheckReady() const {
  if (FTreeView == nullptr) throw EZelXMLTree("TreeView is not assigned.");
  // An event handler must not start a second operation inside the running one.
  if (FIsBusy) throw EZelXMLTree("A load or save is already running.");
}

void TZelXMLTree::SetState(TZelXMLTreeStates state) {
  FState = state;
  if (OnStateChange) OnStateChange(*this, state);
}

bool TZelXMLTree::IsUnicodeFile(const std::string& fileName) {
  TVyTextFile file(fileName, FILE_ATTRIBUTE_NORMAL, GENERIC_READ, kNoSharing);
  file.Reset({}, kDefaultBufferSize, kSystemCodePage);
  return file.IsUnicode();
}

namespace {

// Adds decoded text to the lines, converted to the code page. The reader ends a Unicode line
// at CR LF only; a lone CR or LF inside it breaks the line too, as it does in an 8-bit file
// (a file with LF line ends would be one long line). atEnd: no text follows this one.
void AddUnicodeText(const std::string& fileName, unsigned codePage, TSectionLineTrim& trim,
                    std::u16string_view rest, bool atEnd, TStringList& lines) {
  while (true) {
    const size_t br = rest.find_first_of(u"\r\n");
    const size_t number = lines.Lines().size() + 1;
    lines.Add(ConvertUnicodeLine(fileName, codePage, trim.Trim(rest.substr(0, br)), number));
    if (br == std::u16string_view::npos) break;
    const bool crlf = rest[br] == u'\r' && br + 1 < rest.size() && rest[br + 1] == u'\n';
    rest.remove_prefix(br + (crlf ? 2 : 1));
    if (rest.empty() && atEnd) break;  // a break at the very end starts no line
  }
}

}  // namespace

// Unicode files are decoded whole from the encoding their byte-order mark names: every CR,
// LF and CR LF breaks a line, as in an 8-bit file and as XML reads them.
bool TZelXMLTree::ReadUnicodeLines(const std::string& fileName, TStringList& lines,
                                   const TReadPump& pump) {
  return ReadForeignLines(fileName, "", lines, pump);
}

bool TZelXMLTree::ReadForeignLines(const std::string& fileName, const std::string& encoding,
                                   TStringList& lines, const TReadPump& pump) {
  bool stopped = false;
  const std::string bytes = ReadFileBytes(fileName, [&] { return !(stopped = pump && !pump()); });
  if (stopped) return false;
  std::u16string text;
  if (!encoding.empty()) {
    text = DecodeForeign(fileName, encoding, bytes);
  } else {
    const std::string_view b = bytes;
    const bool utf8 = b.starts_with("\xEF\xBB\xBF");
    const char* name = utf8 ? "UTF-8" : b.starts_with("\xFE\xFF") ? "UTF-16BE" : "UTF-16LE";
    std::string_view body = b.substr(utf8 ? 3 : 2);
    // A UTF-16 file cut short keeps its whole characters; the odd last byte is a U+FFFD.
    const bool cut = !utf8 && body.size() % 2 != 0;
    if (cut) body.remove_suffix(1);
    size_t line = 1;
    if (!Decode(name, body, text, &line)) {
      if (utf8) NotDecodable(fileName, line);
      text = DecodeForeign(fileName, name, body);  // raises, naming the line
    }
    if (cut) text.push_back(u'\uFFFD');
  }
  lines.Clear();
  TUpdateGuard filling(lines);
  const unsigned codePage = GetACP();
  TSectionLineTrim trim;
  AddUnicodeText(fileName, codePage, trim, text, true, lines);
  // The text is no longer in the encoding the file named.
  SetDeclaredEncoding(lines, CharsetNameOf(codePage));
  return true;
}

void TZelXMLTree::LoadFromFile(const std::string& fileName) {
  CheckReady();
  FIsBusy = true;
  FCancelled = false;
  const TScopeExit closing([this] {
    if (FCancelled && FTreeView != nullptr) FTreeView->Clear();
    FIsBusy = false;
  });

  SetState(zxtsLoading);
  CheckRegularFile(fileName);  // a FIFO or device would block or never end
  if (!UseOldRoute) return LoadOutline(fileName);
  FIsUnicode = IsUnicodeFile(fileName);
  BuildOutline(fileName);
}

namespace {

// Unwinds the tokenizer when the pump asks to stop.
struct TReadStopped {};

// The outline's nodes, staged for the tree: the root made of the file name (split and
// placed like any outline text), then the rewrite's nodes. A level the tree cannot take
// stops the staging; the error is raised where the tree would have been built.
class TStagedOutline final : public TOutlineNodeSink {
 public:
  TStagedOutline(TTreeView& tree, const std::string& fileName) : FNodes(tree), FBuilder(FNodes) {
    Guarded([&] {
      SplitLines(ExtractFileName(fileName) + "\r\n",
                 [&](std::string_view line) { FBuilder.AddLine(line); });
    });
  }
  void AddNode(int level, std::string_view text) override {
    Guarded([&] { FBuilder.AddNode(level, std::string(text)); });
  }
  void AppendToLast(std::string_view text) override {
    if (!FError) FNodes.AppendToLast(text);
  }
  // The tree takes what was staged; then a staging error is raised.
  void MoveTo(TTreeView& tree) {
    tree.TakeNodes(FNodes);
    if (FError) std::rethrow_exception(FError);
  }

 private:
  template <typename F>
  void Guarded(F&& f) {
    if (FError) return;
    try {
      f();
    } catch (const ETreeViewError&) {
      FError = std::current_exception();
    }
  }
  TTreeView::TStagedNodes FNodes;
  TOutlineBuilderOf<TTreeView::TStagedNodes> FBuilder;
  std::exception_ptr FError;
};

}  // namespace

// One read of the file, its tokens straight to the writer's lines, those straight to outline
// nodes staged for the tree; the tree takes them once the percentages have been given.
void TZelXMLTree::LoadOutline(const std::string& fileName) {
  TStagedOutline staged(*FTreeView, fileName);
  TOutlineRewrite rewrite(staged);
  TTokenLines lines(rewrite);
  size_t tokens = 0;
  {
    std::string text;
    // A read stopped by Abort ends the load here, like an Abort noticed right after it.
    if (!ReadLoadText(
            fileName, [this] { return Pump(); }, text, FIsUnicode))
      return;
    try {
      Tokenize(text, [&](TXmlToken kind, std::string_view s) {
        if (++tokens % kReadPumpInterval == 0 && !Pump()) throw TReadStopped();
        lines.Token(kind, s);
      });
    } catch (const TReadStopped&) {
      return;
    }
  }
  if (tokens == 0) throw EListError::OutOfBounds(0);
  lines.Finish();
  rewrite.Finish();
  if (FCancelled) return;
  SetState(zxtsBuildTree);
  // The document's own opening line is the first; a document without nodes has none.
  if (!lines.HasNodes()) throw EListError::OutOfBounds(0);
  rewrite.Trail().Replay(rewrite.LineCount(), [this](uint16_t percent) {
    Progress(percent);
    return !FCancelled;
  });
  if (!FCancelled) {
    TTreeView& tree = *FTreeView;
    TUpdateGuard suspended(tree);
    tree.Clear();
    staged.MoveTo(tree);
  }
  SetState(FCancelled ? zxtsCanceled : zxtsDone);
}

// Reads the file into a document and rewrites the document's indented text, line by line as
// the document gives it, into the outline; then the tree view is rebuilt from the outline.
void TZelXMLTree::BuildOutline(const std::string& fileName) {
  TOutlineLines outline;
  {
    TMorXMLTree doc;
    const TReadPump pump = [this] { return Pump(); };
    // A read stopped by Abort ends the load here, like an Abort noticed right after it.
    if (FIsUnicode) {
      if (!ReadUnicodeLines(fileName, doc.Lines, pump)) return;
      const std::string text = doc.Lines.Text();
      doc.Lines.Clear();
      if (!doc.ParseText(text, pump)) return;
    } else if (const std::string encoding = ForeignEncodingOf(fileName); !encoding.empty()) {
      if (!ReadForeignLines(fileName, encoding, doc.Lines, pump)) return;
      const std::string text = doc.Lines.Text();
      doc.Lines.Clear();
      if (!doc.ParseText(text, pump)) return;
    } else {
      CheckEightBitFile(fileName, pump);
      if (FCancelled || !doc.LoadFromFile(fileName, pump)) return;
    }
    if (FCancelled) return;
    SetState(zxtsBuildTree);

    // Every node comes as one line, its line breaks (in sections) within it.
    constexpr bool kWholeNodes = true;
    const size_t lineCount = CountXMLLines(doc, pump, kWholeNodes);
    if (FCancelled) {
      SetState(zxtsCanceled);
      return;
    }
    // The first line is the document's own opening line; a document without elements has none.
    if (lineCount == 0) throw EListError::OutOfBounds(0);
    TXMLOutlineTransform transform(
        lineCount - 1, outline, [this](uint16_t percent) { Progress(percent); },
        [this] { return FCancelled; }, kWholeNodes);
    bool first = true;
    WalkXMLLines(
        doc,
        [&](size_t level, std::string_view line) {
          if (first) {
            first = false;
            return true;
          }
          return transform.Push(level, line);
        },
        kWholeNodes);
    transform.Finish();
  }
  if (!FCancelled) {
    TTreeView& tree = *FTreeView;
    TUpdateGuard suspended(tree);
    tree.Clear();
    TOutlineBuilder builder(tree);
    // The root line is the file name as outline text, so it is split like any line.
    SplitLines(ExtractFileName(fileName) + "\r\n",
               [&](std::string_view line) { builder.AddLine(line); });
    size_t nodes = 0;
    // After an Abort the remaining lines are only given back, not built.
    outline.Drain([&](int level, std::string_view text) {
      if (FCancelled) return;
      builder.AddNode(level, std::string(text));
      if (++nodes % kReadPumpInterval == 0) Pump();
    });
  }
  SetState(FCancelled ? zxtsCanceled : zxtsDone);
}

void TZelXMLTree::SaveToFile(const std::string& fileName) {
  CheckReady();
  FIsBusy = true;
  FCancelled = false;
  const TScopeExit closing([this] { FIsBusy = false; });

  SetState(zxtsAligning);
  // Lines go to the file as they are made; the target is replaced only on Commit.
  TSafeFileWriter file(fileName);
  BuildXMLText(
      *FTreeView, file, [this](uint16_t percent) { Progress(percent); },
      [this] { return FCancelled; });
  if (!FCancelled) {
    SetState(zxtsWriting);
    file.Commit();
    if (TTreeNode* root = FTreeView->GetFirstNode()) root->SetText(ExtractFileName(fileName));
    FState = zxtsDone;
  } else {
    FState = zxtsCanceled;
  }
  SetState(FState);
}

}  // namespace zel
