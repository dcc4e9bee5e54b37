#include "treedoc/ZelXMLTree.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "base/StrUtils.h"
#include "base/StringList.h"
#include "base/UpdateGuard.h"
#include "outline/OutlineBuilder.h"
#include "outline/StagedNodes.h"
#include "outline/TreeView.h"
#include "outline/TreeWalk.h"
#include "platform/BlockAllocator.h"
#include "platform/FileRead.h"
#include "platform/SafeFile.h"
#include "treedoc/KeepLayoutSave.h"
#include "treedoc/LayoutCapture.h"
#include "treedoc/LoadChecks.h"
#include "treedoc/LoadText.h"
#include "treedoc/OutlineRewrite.h"
#include "treedoc/OutlineWalk.h"
#include "treedoc/SourceLayout.h"
#include "treedoc/XMLSave.h"
#include "xml/TokenLines.h"
#include "xml/XmlToken.h"

namespace zel {

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
  CheckNotBusy();
}

void TZelXMLTree::CheckNotBusy() const {
  // An event handler must not start a second operation inside the running one.
  if (FIsBusy) throw EZelXMLTree("A load or save is already running.");
}

void TZelXMLTree::SetState(TZelXMLTreeStates state) {
  FState = state;
  if (OnStateChange) OnStateChange(*this, state);
}

TZelXMLTree::TZelXMLTree() = default;

TZelXMLTree::~TZelXMLTree() {
  FTreeView = nullptr;
}

void TZelXMLTree::ForgetLayout() {
  FLayout.reset();
  FChangedTexts = 0;
}

void TZelXMLTree::LoadFromFile(const std::string& fileName) {
  Load(fileName, nullptr, true);
}

void TZelXMLTree::LoadFromBytes(const std::string& name, std::string bytes) {
  Load(name, &bytes, true);
}

void TZelXMLTree::LoadWith(const std::function<void(const TProgress& progress)>& read) {
  RunLoad([&] {
    FLayout.reset();
    FChangedTexts = 0;
    if (!FCancelled) SetState(zxtsBuildTree);
    if (!FCancelled) read(Counted());
    SetState(FCancelled ? zxtsCanceled : zxtsDone);
  });
}

void TZelXMLTree::LoadFromBytesInto(TTreeView& into, const std::string& name, std::string bytes) {
  CheckNotBusy();  // the running operation keeps its tree view
  TTreeView* const linked = FTreeView;
  const bool unicode = FIsUnicode;
  FTreeView = &into;
  const TScopeExit back([&] {
    FTreeView = linked;
    FIsUnicode = unicode;
  });
  Load(name, &bytes, false);
}

void TZelXMLTree::Load(const std::string& fileName, std::string* bytes, bool document) {
  const TBlockReserveHold growing;  // the memory kept for edits is filled after the load
  RunLoad([&] {
    if (!bytes) CheckRegularFile(fileName);  // a FIFO or device would block or never end
    if (document) FLayout.reset(), FChangedTexts = 0;
    LoadOutline(fileName, bytes, document, document && FKeepLayout);
  });
}

void TZelXMLTree::RunLoad(const std::function<void()>& stages) {
  CheckReady();
  FIsBusy = true;
  FCancelled = false;
  const TScopeExit closing([this] {
    if (FCancelled && FTreeView != nullptr) FTreeView->Clear(TTreeWriteKey());
    FIsBusy = false;
  });
  SetState(zxtsLoading);
  stages();
}

namespace {

// Unwinds the tokenizer when the pump asks to stop.
struct TReadStopped {};

// The outline's nodes, staged for the tree: the root, whose text is the file name whole
// (whatever characters it holds: it is never read as outline text), then the rewrite's nodes. The
// last node waits until its text is whole (an element's text and closing tag join it), so each text
// is made once, at its size. A level the tree cannot take stops the staging; the error is raised
// where the tree would have been built.
class TStagedOutline final : public TOutlineNodeSink {
 public:
  TStagedOutline(TTreeView& tree, const std::string& fileName, TLayoutCapture* capture)
      : FNodes(tree), FBuilder(FNodes), FCapture(capture) {
    Guarded([&] {
      const std::string name = ExtractFileName(fileName);
      TTreeNode* root = FBuilder.AddNode(0, name);
      if (FCapture) FCapture->Node(root, 0, name, {});
    });
  }
  void AddNode(int level, std::string_view text) override {
    Flush();
    FHasLast = true;
    FLastLevel = level;
    FLast.assign(text);
  }
  void AppendToLast(std::string_view text) override { FLast.append(text); }
  // A node nothing is appended to goes to the tree at once, without waiting in FLast.
  void AddWhole(int level, std::string_view text, const TSourceSpan* span) {
    Flush();
    Guarded([&] {
      TTreeNode* node = FBuilder.AddNode(level, text);
      if (FCapture) FCapture->Node(node, level, text, span ? *span : TSourceSpan{});
    });
  }
  void NodeSpan(const TSourceSpan& span) override { FLastSpan = span; }
  void CloseSpan(int level, const TSourceSpan& span) override {
    if (!FCapture) return;
    Flush();
    FCapture->Close(level, span);
  }
  // The tree takes what was staged; then a staging error is raised.
  void MoveTo(TTreeWriteKey key, TTreeView& tree) {
    Flush();
    tree.TakeNodes(key, FNodes);
    if (FError) std::rethrow_exception(FError);
  }

 private:
  void Flush() {
    if (!FHasLast) return;
    FHasLast = false;
    Guarded([&] {
      TTreeNode* node = FBuilder.AddNode(FLastLevel, FLast);
      if (FCapture) FCapture->Node(node, FLastLevel, FLast, FLastSpan);
    });
  }
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
  TLayoutCapture* FCapture;
  std::exception_ptr FError;
  bool FHasLast = false;
  TSourceSpan FLastSpan;
  int FLastLevel = 0;
  std::string FLast;
};

}  // namespace

// One read of the file, its tokens straight to outline nodes staged for the tree (the walk takes
// the line maker's and the rewrite's steps); the tree takes them once the percentages have been
// given.
void TZelXMLTree::LoadOutline(const std::string& fileName, std::string* bytes, bool document,
                              bool capture) {
  // With the capture, the file's bytes and where each node stands in them.
  std::unique_ptr<TSourceLayout> layout;
  std::unique_ptr<TLayoutCapture> places;
  if (capture) {
    layout = std::make_unique<TSourceLayout>();
    places = std::make_unique<TLayoutCapture>(*layout);
  }
  // Kept, the pages read cannot hold the nodes: the reserve fills ahead of them instead, up to
  // what the load still needs by the end.
  std::optional<TBlockReserveAhead> ahead;
  if (layout) ahead.emplace(bytes ? bytes->size() : FileSizeOrZero(fileName));
  TStagedOutline staged(*FTreeView, fileName, places.get());
  TOutlineWalk<TStagedOutline> walk(staged);
  size_t tokens = 0, changedTexts = 0;
  bool blank = true;
  bool decoded = false;  // the text is no longer the file's bytes
  {
    std::string text = bytes ? std::move(*bytes) : std::string();
    // A read stopped by Abort ends the load here, like an Abort noticed right after it.
    TReadBytes kept;
    TReadBytes* const keep = layout ? &kept : nullptr;
    TLineEndsAsRead lineEnds;  // an 8-bit text is read with its own line ends
    if (!(bytes ? LoadTextOfBytes(fileName, Silent(), text, FIsUnicode, keep, &lineEnds)
                : ReadLoadText(fileName, Silent(), text, FIsUnicode, keep, &lineEnds)))
      return;
    decoded = !lineEnds.AsRead;
    if (layout) {
      // Read with its own line ends, the text is the bytes the layout keeps: one copy.
      if (lineEnds.AsRead)
        layout->Bytes.swap(text);
      else
        layout->Bytes = std::move(kept.Bytes);
      layout->Spans = kept.EightBit;
      layout->Encoding = std::move(kept.Encoding);
      layout->Mark = std::move(kept.Mark);
      layout->CodePage = kept.CodePage;
      layout->Swap = kept.Swap;
      layout->Reserve();
    }
    const std::string_view read =
        layout && lineEnds.AsRead ? std::string_view(layout->Bytes) : std::string_view(text);
    if (places && lineEnds.AsRead) places->SetPlacesAsRead(read.size() - lineEnds.Added);
    // The walk from such a text to the bytes reads the text behind the tokens: it stays whole.
    const bool trimmed =
        layout && layout->Spans &&
        (layout->Decoded() || std::string_view(layout->Bytes).starts_with(kUtf8Mark));
    if (trimmed) places->SetTrimmedText(read);
    // So do the bytes the layout keeps.
    const bool keepPages = trimmed || (layout && lineEnds.AsRead);
    if (!keepPages) ahead.reset();
    blank = std::all_of(read.begin(), read.end(), IsBlank);
    // What the tokenizer has passed it never reads again: its memory goes back as it goes.
    constexpr size_t kDropBytes = size_t{4} << 20;
    const char* dropped = read.data();
    const char* const end = read.data() + read.size();
    const auto token = [&](TXmlToken kind, std::string_view s) {
      if (++tokens % kReadPumpInterval == 0 && !Pump()) throw TReadStopped();
      walk.Token(kind, s);
      if (s.data() >= dropped + kDropBytes && s.data() < end) {
        if (!keepPages) {
          dropped = DropReadPages(dropped, s.data());
        } else {  // kept: how far the tokenizer is tells what the rest of the nodes will take
          dropped = s.data();
          if (ahead) ahead->Progress(static_cast<size_t>(dropped - read.data()), read.size());
        }
      }
    };
    size_t* const changed = document || places ? &changedTexts : nullptr;
    try {
      if (places) {
        TSourceSpan span;
        TXmlTokenSinkOf sink([&](TXmlToken kind, std::string_view s) {
          walk.SetSpan(places->Place(span));
          token(kind, s);
        });
        if (lineEnds.AsRead)
          ReadXmlTokensAsRead(read, sink, &span, changed);
        else
          ReadXmlTokens(read, sink, span, changed);
      } else {
        TXmlTokenSinkOf sink(token);
        if (lineEnds.AsRead)
          ReadXmlTokensAsRead(read, sink, nullptr, changed);
        else
          ReadXmlTokens(read, sink, changed);
      }
    } catch (const TReadStopped&) {
      return;
    }
    // The line end added for the tokenizer is no byte of the file.
    if (layout && lineEnds.Added) layout->Bytes.pop_back();
  }
  if (tokens == 0) NoMarkup(fileName, blank, FIsUnicode);
  walk.Finish();
  if (FCancelled) return;
  SetState(zxtsBuildTree);
  // The window breathes as often as when the tree was built through the document's indented
  // text: once per so many of its lines before the percentages, per so many nodes after.
  // The document's own opening line is the first; a document without nodes has none.
  if (!PumpEvery(walk.HasNodes() ? walk.LineCount() + 1 : 0)) {
    SetState(zxtsCanceled);
    return;
  }
  if (!walk.HasNodes()) NoMarkup(fileName, blank, FIsUnicode);
  // What Counted() does, without its two calls through std::function per percentage.
  if (OnProgress)
    walk.Trail().Replay(walk.LineCount(), [this](uint16_t percent) {
      Progress(percent);
      return !FCancelled;
    });
  if (!FCancelled && PumpEvery(walk.NodeCount())) {
    TTreeView& tree = *FTreeView;
    TUpdateGuard suspended(tree);
    const TTreeWriteKey key{};
    tree.Clear(key);
    staged.MoveTo(key, tree);
    if (TTreeNode* root = tree.GetFirstNode(); root && root->GetFirstChild()) {
      TTreeNode* first = root->GetFirstChild();
      const std::string named = DeclarationNamingEncodingRead(fileName, first->Text(), decoded);
      if (!named.empty()) first->SetText(key, named);
    }
    if (places && !FCancelled) {
      places->Finish();
      layout->NoteAsRead(tree);
      FLayout = std::move(layout);
    }
    if (document && !FCancelled) FChangedTexts = changedTexts;
  }
  // A layout kept gives an unedited save the bytes read, which read back as they did.
  if (!FCancelled && FSettle && !FLayout) SettleReading(fileName);
  SetState(FCancelled ? zxtsCanceled : zxtsDone);
}

namespace {

// Collects a text up to a size: past it, Over() and nothing more is kept.
class TBoundedSink final : public TTextSink {
 public:
  TBoundedSink(std::string& out, size_t limit) : FOut(out), FLimit(limit) {}
  void Write(std::string_view text) override {
    Put(text.size(), [&] { FOut.append(text); });
  }
  void WriteRepeated(char c, size_t count) override {
    Put(count, [&] { FOut.append(count, c); });
  }
  bool Over() const { return FOver; }

 private:
  template <typename F>
  void Put(size_t size, F&& append) {
    if (FOver || FOut.size() + size > FLimit)
      FOver = true;
    else
      append();
  }
  std::string& FOut;
  size_t FLimit;
  bool FOver = false;
};

bool SameOutline(const TTreeView& a, const TTreeView& b) {
  if (a.Count() != b.Count()) return false;
  std::vector<std::pair<int, std::string_view>> nodes;
  nodes.reserve(static_cast<size_t>(a.Count()));
  WalkInDocumentOrder(a, [&](const TTreeNode& n, int level) {
    nodes.emplace_back(level, n.Text());
    return true;
  });
  size_t i = 0;
  return WalkInDocumentOrder(b, [&](const TTreeNode& n, int level) {
    return i < nodes.size() && nodes[i++] == std::make_pair(level, n.Text());
  });
}

}  // namespace

// Broken markup can read differently once saved: the save writes each node on its own line,
// which moves what a tolerant rule looked at. The reading kept is then the one the save gives,
// so that what the user sees is what every later save reads back. Costs a save and a read of
// the document (a few milliseconds at this size), so only documents of a bounded saved size
// are read again.
void TZelXMLTree::SettleReading(const std::string& fileName) {
  constexpr size_t kSettleLimit = size_t{1} << 20;
  std::string saved;
  TBoundedSink sink(saved, kSettleLimit);
  if (!BuildXMLText(*FTreeView, sink, TProgress{nullptr, [&] { return sink.Over(); }})) return;
  TTreeView again;
  TZelXMLTree reader;
  reader.FSettle = false;  // its reading is the one a save would give
  reader.OnPump = [this](TZelXMLTree& inner) {
    if (!Pump()) inner.Abort();
  };
  reader.SetTreeView(&again);
  try {
    reader.LoadFromBytes(fileName, saved);
  } catch (const Exception&) {
    return;  // a save that does not read back at all is not a reading to keep
  }
  if (FCancelled || reader.Cancelled() || SameOutline(*FTreeView, again)) return;
  reader.SetTreeView(FTreeView);
  reader.LoadFromBytes(fileName, std::move(saved));
}

void TZelXMLTree::SaveToFile(const std::string& fileName) {
  CheckReady();
  FIsBusy = true;
  FCancelled = false;
  const TScopeExit closing([this] { FIsBusy = false; });

  SetState(zxtsAligning);
  // Lines go to the file as they are made; the target is replaced only on Commit.
  TSafeFileWriter file(fileName);
  const TKeptSave kept = FKeepLayout && FLayout
                             ? BuildKeptText(*FTreeView, *FLayout, file, Counted())
                             : TKeptSave::Indented;
  if (kept == TKeptSave::Indented) BuildXMLText(*FTreeView, file, Counted());
  if (!FCancelled) {
    SetState(zxtsWriting);
    file.Commit([this] { Pump(); });  // the bytes are all written: Abort no longer stops it
    // The root's text, the file's name, is no part of what the layout compares.
    const bool asRead = FLayout && FLayout->KnownAsRead(*FTreeView);
    if (TTreeNode* root = FTreeView->GetFirstNode())
      root->SetText(TTreeWriteKey(), ExtractFileName(fileName));
    if (asRead) FLayout->NoteAsRead(*FTreeView);
    FState = zxtsDone;
  } else {
    FState = zxtsCanceled;
  }
  SetState(FState);
}

}  // namespace zel
