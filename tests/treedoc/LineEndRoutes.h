#pragma once
// What the load's tokenizer is given for a document's bytes, written out as one string: the
// progress asks (how many, and where the read stopped), every token with its text and its
// place in the bytes, the count of texts read otherwise, or the message of a refused file.
// With asRead, an 8-bit text keeps its own line ends and the places are the tokenizer's own;
// else the line ends are made CR LF first and the places walked back to the bytes. Then the
// outline those tokens and places give: as read through the walk, the load's, else through the
// line maker and the rewrite. The two must give the same string.

#include <string>
#include <string_view>

#include "OutlineRoutes.h"
#include "base/Exception.h"
#include "treedoc/LayoutCapture.h"
#include "treedoc/LoadText.h"
#include "treedoc/SourceLayout.h"
#include "xml/XmlToken.h"

namespace zeltest {

// stopAt: the progress ask that stops the read (0: none does).
inline std::string TokensByLineEnds(std::string bytes, bool asRead, size_t stopAt = 0) {
  using namespace zel;
  std::string out;
  size_t asks = 0;
  const TProgress progress{nullptr, [&] { return ++asks == stopAt; }};
  TReadBytes kept;
  TLineEndsAsRead lineEnds;
  bool unicode = false;
  std::string text = std::move(bytes);
  try {
    if (!LoadTextOfBytes("f.xml", progress, text, unicode, &kept, asRead ? &lineEnds : nullptr))
      return "stopped after " + std::to_string(asks);
  } catch (const Exception& e) {
    return std::string("refused: ") + e.what();
  }
  out = "asks " + std::to_string(asks) + " unicode " + std::to_string(unicode);
  TSourceLayout layout;
  layout.Bytes = lineEnds.AsRead ? text : kept.Bytes;
  layout.Spans = kept.EightBit;
  TLayoutCapture places(layout);
  if (lineEnds.AsRead) places.SetPlacesAsRead(text.size() - lineEnds.Added);
  const bool trimmed = layout.Spans && std::string_view(layout.Bytes).starts_with(kUtf8Mark);
  if (trimmed) places.SetTrimmedText(text);
  TSourceSpan span;
  size_t changed = 0;
  TWholeNodes nodes;
  WithRoute(lineEnds.AsRead, nodes, [&](auto& route) {
    TXmlTokenSinkOf sink([&](TXmlToken kind, std::string_view s) {
      const TSourceSpan at = places.Place(span);
      out.append("\n").append(1, static_cast<char>(kind)).append(" ").append(s);
      if (at.Known())
        out.append(" @" + std::to_string(at.Begin) + "-" + std::to_string(at.End) +
                   (at.Exact ? "x/" : "/") + std::to_string(at.Lead));
      route.SetSpan(at);
      route.Token(kind, s);
    });
    if (lineEnds.AsRead)
      ReadXmlTokensAsRead(text, sink, &span, &changed);
    else
      ReadXmlTokens(text, sink, span, &changed);
    Settled(route, nodes);
  });
  return out.append("\nchanged " + std::to_string(changed)).append(nodes.S);
}

}  // namespace zeltest
