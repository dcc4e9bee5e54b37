#pragma once
// How outline texts that stand for more than one line of the file are told and written.

#include <string>
#include <string_view>

namespace zel {

// The writer's line for the XML declaration's element: "<?xml" followed by its attributes,
// ">" or " />". A processing instruction kept as a leaf has another target (xml-stylesheet).
bool IsDeclarationLine(std::string_view s);

// Whether an outline text keeps its line breaks as marks (see xml/SectionMarks.h): a comment,
// CDATA section or processing instruction (not the XML declaration), a text run that holds a
// CDATA section, or an element kept as it was read because its whitespace is data.
bool IsMultiLineSectionText(std::string_view text);
// A section's outline text as it goes into the file: marks turned back into line breaks.
std::string SectionTextForFile(std::string_view text);

}  // namespace zel
