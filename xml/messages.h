// Fixed message texts of the markup library.
//
// Every text is a GB2312 byte string, the code page the library holds end to
// end. The readable form stands in the comment beside each one. Code and tests
// both use these names, so a text is spelled exactly once.
#ifndef TARVIK_XML_MESSAGES_H
#define TARVIK_XML_MESSAGES_H

namespace tarvik::xml::messages {

// Brace notation: a group that the text ends inside.
inline constexpr char BracketMismatch[] = "\xC0\xA8\xBA\xC5\xB2\xBB\xC6\xA5\xC5\xE4";  // 括号不匹配
// Brace notation: groups nested past the parser's depth bound.
inline constexpr char BracketsTooDeep[] =
    "\xC0\xA8\xBA\xC5\xC7\xB6\xCC\xD7\xB9\xFD\xC9\xEE";  // 括号嵌套过深

// Markup text: a tag, comment, instruction or searched terminator that never closes.
inline constexpr char TagNotClosed[] =
    "\xB1\xEA\xC7\xA9\xCE\xB4\xD5\xFD\xC8\xB7\xB9\xD8\xB1\xD5";  // 标签未正确关闭
// Markup text: "<" not followed by a name.
inline constexpr char MissingElementName[] =
    "\xCE\xDE\xD4\xAA\xCB\xD8\xC3\xFB\xBB\xF2\xB9\xD8\xBC\xFC\xD7\xD6\xB4\xED\xCE\xF3.";  // 无元素名或关键字错误.
// Markup text: an xml declaration whose attributes are not followed by "?>".
inline constexpr char DeclarationNotClosed[] =
    "?>\xB1\xEA\xC7\xA9\xCE\xB4\xD5\xFD\xC8\xB7\xB9\xD8\xB1\xD5";  // ?>标签未正确关闭
// Markup text: an end tag whose name is not followed by ">".
inline constexpr char EndTagMissingGreater[] = "\xC8\xB1\xC9\xD9>.";  // 缺少>.
// Markup text: an end tag or "/>" that matches no open element.
inline constexpr char ElementMismatch[] =
    "\xD4\xAA\xCB\xD8\xB2\xBB\xC6\xA5\xC5\xE4.";  // 元素不匹配.
// Markup text: "<![CDATA[" without "]]>".
inline constexpr char CDataNotClosed[] =
    "CDATA\xCE\xB4\xD5\xFD\xC8\xB7\xB9\xD8\xB1\xD5";  // CDATA未正确关闭
// Markup text: an attribute name not followed by "=".
inline constexpr char AttributeMissingEquals[] =
    "\xCA\xF4\xD0\xD4\xB8\xB3\xD6\xB5\xB2\xBB\xD5\xFD\xC8\xB7,\xC8\xB1\xC9\xD9=\xBA\xC5";  // 属性赋值不正确,缺少=号
// Markup text: an attribute value that does not start with a double quote.
inline constexpr char AttributeMissingQuote[] =
    "\xCA\xF4\xD0\xD4\xB8\xB3\xD6\xB5\xB2\xBB\xD5\xFD\xC8\xB7,\xC8\xB1\xC9\xD9\"\xBA\xC5";  // 属性赋值不正确,缺少"号
// Markup text: an attribute value whose closing double quote never comes.
inline constexpr char IllegalCharacter[] =
    "\xCE\xC4\xB1\xBE\xD6\xD0\xD3\xD0\xB7\xC7\xB7\xA8\xD7\xD6\xB7\xFB:<";  // 文本中有非法字符:<
// Markup text and binary stream: nesting past the library's depth bound.
inline constexpr char NestingTooDeep[] =
    "\xC7\xB6\xCC\xD7\xB2\xE3\xB4\xCE\xB9\xFD\xC9\xEE";  // 嵌套层次过深
// Markup text: a document type declaration after the first element or after
// another one; before the first element it is skipped.
inline constexpr char MisplacedTypeDeclaration[] =
    "\xCE\xC4\xB5\xB5\xC0\xE0\xD0\xCD\xC9\xF9\xC3\xF7<!DOCTYPE>"
    "\xD6\xBB\xC4\xDC\xCE\xBB\xD3\xDA\xB5\xDA\xD2\xBB\xB8\xF6\xD4\xAA\xCB\xD8\xD6\xAE\xC7"
    "\xB0";  // 文档类型声明<!DOCTYPE>只能位于第一个元素之前
// Markup text: an element or attribute name longer than a name buffer holds.
inline constexpr char NameTooLong[] = "\xC3\xFB\xB3\xC6\xB9\xFD\xB3\xA4";  // 名称过长

// Binary node stream: the stream ends inside a record.
inline constexpr char StreamTruncated[] =
    "\xCA\xFD\xBE\xDD\xC1\xF7\xB2\xBB\xCD\xEA\xD5\xFB";  // 数据流不完整
// Binary node stream: a record's type tag is neither 1 nor 2.
inline constexpr char UnknownNodeType[] =
    "\xCE\xB4\xD6\xAA\xBD\xDA\xB5\xE3\xC0\xE0\xD0\xCD";  // 未知节点类型
// Binary node stream: a negative length or count, or one the stream cannot hold.
inline constexpr char InvalidLength[] =
    "\xB3\xA4\xB6\xC8\xBB\xF2\xCA\xFD\xC1\xBF\xCE\xDE\xD0\xA7";  // 长度或数量无效
// Binary node stream: bytes after the one complete record a file should hold.
inline constexpr char TrailingData[] =
    "\xCA\xFD\xBE\xDD\xC1\xF7\xC4\xA9\xCE\xB2\xD3\xD0\xB6\xE0\xD3\xE0\xCA\xFD\xBE\xDD";  // 数据流末尾有多余数据

// Files: a file that cannot be opened for reading.
inline constexpr char CannotOpenFile[] =
    "\xCE\xDE\xB7\xA8\xB4\xF2\xBF\xAA\xCE\xC4\xBC\xFE";  // 无法打开文件
// Files: a file that cannot be created or written.
inline constexpr char CannotWriteFile[] =
    "\xCE\xDE\xB7\xA8\xD0\xB4\xC8\xEB\xCE\xC4\xBC\xFE";  // 无法写入文件

// Files: a source that is not a regular file and goes on past the load limit.
inline constexpr char InputTooLarge[] =
    "\xCA\xE4\xC8\xEB\xB3\xAC\xB9\xFD\xB6\xC1\xC8\xA1\xC9\xCF\xCF\xDE";  // 输入超过读取上限
// Files: memory ran out while a file was read or its tree was built.
inline constexpr char OutOfMemory[] = "\xC4\xDA\xB4\xE6\xB2\xBB\xD7\xE3";  // 内存不足
// Markup files: a zero byte before the end of the file, where the text would end.
inline constexpr char ZeroByteInFile[] =
    "\xCE\xC4\xBC\xFE\xD6\xD0\xD3\xD0\xC1\xE3\xD7\xD6\xBD\xDA";  // 文件中有零字节
// Markup files: a UTF-16 or UTF-32 byte-order mark, so not GB2312 text.
inline constexpr char UnicodeFile[] =
    "\xB2\xBB\xD6\xA7\xB3\xD6UTF-16\xBB\xF2UTF-32\xB1\xE0\xC2\xEB";  // 不支持UTF-16或UTF-32编码

// Saving as text: an element or attribute name the reader would not read
// whole (empty, a byte a name cannot hold, longer than MaxNameLength).
inline constexpr char NameNotReadable[] =
    "\xC3\xFB\xB3\xC6\xCE\xDE\xB7\xA8\xD4\xAD\xD1\xF9\xB6\xC1\xBB\xD8";  // 名称无法原样读回
// Saving as text: an attribute value holding a double quote, which would end it.
inline constexpr char QuoteInAttributeValue[] =
    "\xCA\xF4\xD0\xD4\xD6\xB5\xD6\xD0\xD3\xD0\xCB\xAB\xD2\xFD\xBA\xC5";  // 属性值中有双引号
// Saving as text: a value or text holding a zero byte, where printing stops.
inline constexpr char ZeroByteInTree[] = "\xBA\xAC\xD3\xD0\xC1\xE3\xD7\xD6\xBD\xDA";  // 含有零字节
// Saving as text: a "<" in a text without a data bracket, where the text would end.
inline constexpr char LessThanInText[] =
    "\xCE\xC4\xB1\xBE\xD6\xD0\xD3\xD0<"
    "\xB5\xAB\xC3\xBB\xD3\xD0\xCA\xFD\xBE\xDD\xC0\xA8\xBA\xC5";  // 文本中有<但没有数据括号
// Saving as text: a text holding what closes it (its bracket and "data]]",
// or "]]>" in a CDATA section).
inline constexpr char TerminatorInText[] =
    "\xCE\xC4\xB1\xBE\xD6\xD0\xBA\xAC\xD3\xD0\xD7\xD4\xC9\xED\xB5\xC4\xBD\xE1\xCA\xF8\xB1\xEA\xBC"
    "\xC7";  // 文本中含有自身的结束标记
// Saving as text: a text that opens with TAB or LF or holds a CR, which the
// reader drops.
inline constexpr char LayoutInText[] =
    "\xCE\xC4\xB1\xBE\xD2\xD4\xD6\xC6\xB1\xED\xB7\xFB\xBB\xF2\xBB\xBB\xD0\xD0\xBF\xAA\xCD\xB7\xBB"
    "\xF2\xBA\xAC\xD3\xD0\xBB\xD8\xB3\xB5";  // 文本以制表符或换行开头或含有回车
// Saving as text: a text without a data bracket that opens with "[[data".
inline constexpr char EscapeOpenerInText[] =
    "\xCE\xC4\xB1\xBE\xD2\xD4[["
    "data\xBF\xAA\xCD\xB7\xB5\xAB\xC3\xBB\xD3\xD0\xCA\xFD\xBE\xDD\xC0\xA8\xBA\xC5";  // 文本以[[data开头但没有数据括号
// Saving as text: a data bracket that is no single non-zero byte as the reader stores it.
inline constexpr char InvalidDataBracket[] =
    "\xCA\xFD\xBE\xDD\xC0\xA8\xBA\xC5\xCE\xDE\xD0\xA7";  // 数据括号无效
// Saving as text: an element with a text whose first child is a CDATA
// section: the section's tabs would join the text.
inline constexpr char TextBeforeCData[] =
    "\xD3\xD0\xCE\xC4\xB1\xBE\xB5\xC4\xD4\xAA\xCB\xD8\xD2\xD4"
    "CDATA\xBD\xDA\xBF\xAA\xCD\xB7";  // 有文本的元素以CDATA节开头
// Saving as text: a CDATA node with a name, attributes, a data bracket or
// children, none of which its text form holds.
inline constexpr char CDataNotPlain[] =
    "CDATA\xBD\xDA\xB4\xF8\xD3\xD0\xC3\xFB\xB3\xC6\xA1\xA2\xCA\xF4\xD0\xD4\xA1\xA2\xCA\xFD\xBE\xDD"
    "\xC0\xA8\xBA\xC5\xBB\xF2\xD7\xD3\xBD\xDA\xB5\xE3";  // CDATA节带有名称、属性、数据括号或子节点
// Saving a document: a root with attributes, a text or a data bracket, which
// a markup file does not hold.
inline constexpr char RootNotPlain[] =
    "\xCE\xC4\xB5\xB5\xB8\xF9\xB4\xF8\xD3\xD0\xCA\xF4\xD0\xD4\xA1\xA2\xCE\xC4\xB1\xBE\xBB\xF2\xCA"
    "\xFD\xBE\xDD\xC0\xA8\xBA\xC5";  // 文档根带有属性、文本或数据括号

// Writing brace notation: a name, value or text that begins with "--", which
// the reader takes for a comment marker, quoted or not.
inline constexpr char BraceCommentMarker[] =
    "\xD2\xD4--\xBF\xAA\xCD\xB7\xBB\xE1\xB1\xBB\xB6\xC1\xD7\xF7\xD7\xA2\xCA\xCD";  // 以--开头会被读作注释
// Writing brace notation: a name, value or text that begins with "'" and
// cannot stand bare (a single "'" first, or a delimiter inside), while a
// quoted form would open with "''", which the reader takes for a bare token.
inline constexpr char BraceLeadingQuote[] =
    "\xD2\xD4'\xBF\xAA\xCD\xB7\xB5\xC4\xC4\xDA\xC8\xDD\xCE\xDE\xB7\xA8\xD4\xAD\xD1\xF9\xB6\xC1"
    "\xBB\xD8";  // 以'开头的内容无法原样读回
// Writing brace notation: a text on an element without a name, where every
// value without a name becomes an indexed attribute.
inline constexpr char BraceTextWithoutName[] =
    "\xCE\xDE\xC3\xFB\xD4\xAA\xCB\xD8\xB5\xC4\xCE\xC4\xB1\xBE\xCE\xDE\xB7\xA8\xD0\xB4\xB3"
    "\xF6";  // 无名元素的文本无法写出
// Writing brace notation: a CDATA node, which the notation has no form for.
inline constexpr char BraceCannotHoldCData[] =
    "\xC0\xA8\xBA\xC5\xBC\xC7\xB7\xA8\xCE\xDE\xB7\xA8\xB1\xED\xCA\xBE"
    "CDATA\xBD\xDA";  // 括号记法无法表示CDATA节
// Writing brace notation: a non-zero data bracket, which the notation has no form for.
inline constexpr char BraceCannotHoldDataBracket[] =
    "\xC0\xA8\xBA\xC5\xBC\xC7\xB7\xA8\xCE\xDE\xB7\xA8\xB1\xED\xCA\xBE\xCA\xFD\xBE\xDD\xC0\xA8"
    "\xBA\xC5";  // 括号记法无法表示数据括号
// Writing brace notation, or saving as text where it changes a text: a null
// entry in a child list, put there by hand.
inline constexpr char NullChild[] =
    "\xD7\xD3\xBD\xDA\xB5\xE3\xCE\xAA\xBF\xD5\xD6\xB8\xD5\xEB";  // 子节点为空指针
// Checking a document: it holds no element at all (an empty or plain text file).
inline constexpr char NoElement[] =
    "\xCE\xC4\xB5\xB5\xD6\xD0\xC3\xBB\xD3\xD0\xD4\xAA\xCB\xD8";  // 文档中没有元素

}  // namespace tarvik::xml::messages

#endif  // TARVIK_XML_MESSAGES_H
