// Internal: the fixed texts of the markup text form. The reader and the
// writer share them, so what one writes is what the other looks for.
#ifndef TARVIK_XML_MARKUP_SYNTAX_H
#define TARVIK_XML_MARKUP_SYNTAX_H

namespace tarvik::xml::syntax {

inline constexpr char CDataOpen[] = "<![CDATA[";
inline constexpr char CDataClose[] = "]]>";
inline constexpr char CommentOpen[] = "<!--";
inline constexpr char CommentClose[] = "-->";
inline constexpr char InstructionOpen[] = "<?";
inline constexpr char InstructionClose[] = "?>";
inline constexpr char EndTagOpen[] = "</";
inline constexpr char EmptyElementClose[] = "/>";
// An escaped text: "[[data", one bracket byte b, the text, b, "data]]".
inline constexpr char DataBracketOpen[] = "[[data";
inline constexpr char DataBracketClose[] = "data]]";

}  // namespace tarvik::xml::syntax

#endif  // TARVIK_XML_MARKUP_SYNTAX_H
