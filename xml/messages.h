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
// Raised by no reader today (neither markup text nor a binary stream has a
// depth bound); kept so that ErrorCode 12 keeps its meaning.
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

// ---- Standard XML 1.0 (xml/xml_reader.h, xml/xml_writer.h). Each text names the
// rule broken and the section of the XML 1.0 recommendation that states it; the
// readable text stands in the comment line just above its bytes.

// Standard XML: a document without a root element (an empty file too).
// 文档没有根元素 (XML 1.0 第2.1节: 文档须恰有一个根元素)
inline constexpr char XmlNoRootElement[] =
    "\xCE\xC4\xB5\xB5\xC3\xBB\xD3\xD0\xB8\xF9\xD4\xAA\xCB\xD8 (XML 1.0 \xB5\xDA"
    "2.1\xBD\xDA: "
    "\xCE\xC4\xB5\xB5\xD0\xEB\xC7\xA1\xD3\xD0\xD2\xBB\xB8\xF6\xB8\xF9\xD4\xAA\xCB\xD8)";
// Standard XML: an element after the root element has closed.
// 根元素之后又有元素 (XML 1.0 第2.1节: 文档只能有一个根元素)
inline constexpr char XmlSecondRootElement[] =
    "\xB8\xF9\xD4\xAA\xCB\xD8\xD6\xAE\xBA\xF3\xD3\xD6\xD3\xD0\xD4\xAA\xCB\xD8 (XML 1.0 \xB5\xDA"
    "2.1\xBD\xDA: "
    "\xCE\xC4\xB5\xB5\xD6\xBB\xC4\xDC\xD3\xD0\xD2\xBB\xB8\xF6\xB8\xF9\xD4\xAA\xCB\xD8)";
// Standard XML: text, a reference or a CDATA section before or after the root element.
// 根元素之外有文本、引用或CDATA节 (XML 1.0 第2.8节: 根元素之外只能有注释、处理指令和空白)
inline constexpr char XmlOutsideRoot[] =
    "\xB8\xF9\xD4\xAA\xCB\xD8\xD6\xAE\xCD\xE2\xD3\xD0\xCE\xC4\xB1\xBE\xA1\xA2\xD2\xFD\xD3\xC3\xBB"
    "\xF2"
    "CDATA\xBD\xDA (XML 1.0 \xB5\xDA"
    "2.8\xBD\xDA: "
    "\xB8\xF9\xD4\xAA\xCB\xD8\xD6\xAE\xCD\xE2\xD6\xBB\xC4\xDC\xD3\xD0\xD7\xA2\xCA\xCD\xA1\xA2\xB4"
    "\xA6\xC0\xED\xD6\xB8\xC1\xEE\xBA\xCD\xBF\xD5\xB0\xD7)";
// Standard XML: the text ends while elements are still open.
// 元素未关闭 (XML 1.0 第3节: 每个开始标签须有同名的结束标签)
inline constexpr char XmlElementNotClosed[] =
    "\xD4\xAA\xCB\xD8\xCE\xB4\xB9\xD8\xB1\xD5 (XML 1.0 \xB5\xDA"
    "3\xBD\xDA: "
    "\xC3\xBF\xB8\xF6\xBF\xAA\xCA\xBC\xB1\xEA\xC7\xA9\xD0\xEB\xD3\xD0\xCD\xAC\xC3\xFB\xB5\xC4\xBD"
    "\xE1\xCA\xF8\xB1\xEA\xC7\xA9)";
// Standard XML: an end tag that does not name the open element.
// 结束标签与开始标签不匹配 (XML 1.0 第3节: 元素类型匹配)
inline constexpr char XmlEndTagMismatch[] =
    "\xBD\xE1\xCA\xF8\xB1\xEA\xC7\xA9\xD3\xEB\xBF\xAA\xCA\xBC\xB1\xEA\xC7\xA9\xB2\xBB\xC6\xA5\xC5"
    "\xE4 (XML 1.0 \xB5\xDA"
    "3\xBD\xDA: \xD4\xAA\xCB\xD8\xC0\xE0\xD0\xCD\xC6\xA5\xC5\xE4)";
// Standard XML: a name that does not begin or go on with a name character.
// 名称不合法 (XML 1.0 第2.3节: Name)
inline constexpr char XmlInvalidName[] =
    "\xC3\xFB\xB3\xC6\xB2\xBB\xBA\xCF\xB7\xA8 (XML 1.0 \xB5\xDA"
    "2.3\xBD\xDA: Name)";
// Standard XML: a character XML forbids anywhere (a control character, U+FFFE, U+FFFF).
// 含有XML不允许的字符 (XML 1.0 第2.2节: Char)
inline constexpr char XmlInvalidCharacter[] =
    "\xBA\xAC\xD3\xD0XML\xB2\xBB\xD4\xCA\xD0\xED\xB5\xC4\xD7\xD6\xB7\xFB (XML 1.0 \xB5\xDA"
    "2.2\xBD\xDA: Char)";
// Standard XML: bytes that are not in the document's encoding (bad UTF-8, a byte above 0x7F in US-
// ASCII).
// 字节不符合文档的编码 (XML 1.0 第4.3.3节)
inline constexpr char XmlEncodingViolation[] =
    "\xD7\xD6\xBD\xDA\xB2\xBB\xB7\xFB\xBA\xCF\xCE\xC4\xB5\xB5\xB5\xC4\xB1\xE0\xC2\xEB (XML 1.0 "
    "\xB5\xDA"
    "4.3.3\xBD\xDA)";
// Standard XML: a start or end tag that is not closed as the grammar says.
// 标签格式错误 (XML 1.0 第3.1节: 开始标签、结束标签与空元素标签)
inline constexpr char XmlBadTag[] =
    "\xB1\xEA\xC7\xA9\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3 (XML 1.0 \xB5\xDA"
    "3.1\xBD\xDA: "
    "\xBF\xAA\xCA\xBC\xB1\xEA\xC7\xA9\xA1\xA2\xBD\xE1\xCA\xF8\xB1\xEA\xC7\xA9\xD3\xEB\xBF\xD5\xD4"
    "\xAA\xCB\xD8\xB1\xEA\xC7\xA9)";
// Standard XML: an attribute without "=" or without a quoted value, or a value never closed.
// 属性格式错误: 须为 名称="值" 或 名称='值' (XML 1.0 第3.1节: Attribute)
inline constexpr char XmlBadAttribute[] =
    "\xCA\xF4\xD0\xD4\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3: \xD0\xEB\xCE\xAA "
    "\xC3\xFB\xB3\xC6=\"\xD6\xB5\" \xBB\xF2 \xC3\xFB\xB3\xC6='\xD6\xB5' (XML 1.0 \xB5\xDA"
    "3.1\xBD\xDA: Attribute)";
// Standard XML: two parts of a tag or declaration with no white space between them.
// 缺少必需的空白 (XML 1.0 第2.3节: S)
inline constexpr char XmlMissingSpace[] =
    "\xC8\xB1\xC9\xD9\xB1\xD8\xD0\xE8\xB5\xC4\xBF\xD5\xB0\xD7 (XML 1.0 \xB5\xDA"
    "2.3\xBD\xDA: S)";
// Standard XML: a "<" in an attribute value, written or from an entity.
// 属性值中不能有< (XML 1.0 第3.1节: 属性值中不能有<)
inline constexpr char XmlLessThanInAttribute[] =
    "\xCA\xF4\xD0\xD4\xD6\xB5\xD6\xD0\xB2\xBB\xC4\xDC\xD3\xD0< (XML 1.0 \xB5\xDA"
    "3.1\xBD\xDA: \xCA\xF4\xD0\xD4\xD6\xB5\xD6\xD0\xB2\xBB\xC4\xDC\xD3\xD0<)";
// Standard XML: one attribute name twice in a tag.
// 属性重复 (XML 1.0 第3.1节: 同一标签中属性名唯一)
inline constexpr char XmlDuplicateAttribute[] =
    "\xCA\xF4\xD0\xD4\xD6\xD8\xB8\xB4 (XML 1.0 \xB5\xDA"
    "3.1\xBD\xDA: "
    "\xCD\xAC\xD2\xBB\xB1\xEA\xC7\xA9\xD6\xD0\xCA\xF4\xD0\xD4\xC3\xFB\xCE\xA8\xD2\xBB)";
// Standard XML: an "&" that does not begin a well-formed reference.
// 引用格式错误: &须开始 &名称; 或 &#数字; 或 &#x十六进制数; (XML 1.0 第4.1节)
inline constexpr char XmlBadReference[] =
    "\xD2\xFD\xD3\xC3\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3: &\xD0\xEB\xBF\xAA\xCA\xBC "
    "&\xC3\xFB\xB3\xC6; \xBB\xF2 &#\xCA\xFD\xD7\xD6; \xBB\xF2 "
    "&#x\xCA\xAE\xC1\xF9\xBD\xF8\xD6\xC6\xCA\xFD; (XML 1.0 \xB5\xDA"
    "4.1\xBD\xDA)";
// Standard XML: a "<" in text that begins no tag.
// <之后不是标签: 文本中的<须写作&lt; (XML 1.0 第2.4节)
inline constexpr char XmlBareLessThan[] =
    "<\xD6\xAE\xBA\xF3\xB2\xBB\xCA\xC7\xB1\xEA\xC7\xA9: "
    "\xCE\xC4\xB1\xBE\xD6\xD0\xB5\xC4<\xD0\xEB\xD0\xB4\xD7\xF7&lt; (XML 1.0 \xB5\xDA"
    "2.4\xBD\xDA)";
// Standard XML: "]]>" in text outside a CDATA section.
// 文本中不能有]]> (XML 1.0 第2.4节)
inline constexpr char XmlCDataEndInText[] =
    "\xCE\xC4\xB1\xBE\xD6\xD0\xB2\xBB\xC4\xDC\xD3\xD0]]> (XML 1.0 \xB5\xDA"
    "2.4\xBD\xDA)";
// Standard XML: a character reference to a character XML forbids.
// 字符引用指向XML不允许的字符 (XML 1.0 第4.1节: 合法字符)
inline constexpr char XmlInvalidCharRef[] =
    "\xD7\xD6\xB7\xFB\xD2\xFD\xD3\xC3\xD6\xB8\xCF\xF2XML\xB2\xBB\xD4\xCA\xD0\xED\xB5\xC4\xD7\xD6"
    "\xB7\xFB (XML 1.0 \xB5\xDA"
    "4.1\xBD\xDA: \xBA\xCF\xB7\xA8\xD7\xD6\xB7\xFB)";
// Standard XML: a character reference the document's encoding cannot hold without a code-page
// table.
// 字符引用无法用文档的编码写出: 只有UTF-8、US-ASCII和ISO-8859-1无需码表
inline constexpr char XmlCharRefNotEncodable[] =
    "\xD7\xD6\xB7\xFB\xD2\xFD\xD3\xC3\xCE\xDE\xB7\xA8\xD3\xC3\xCE\xC4\xB5\xB5\xB5\xC4\xB1\xE0\xC2"
    "\xEB\xD0\xB4\xB3\xF6: "
    "\xD6\xBB\xD3\xD0UTF-8\xA1\xA2US-ASCII\xBA\xCDISO-8859-1\xCE\xDE\xD0\xE8\xC2\xEB\xB1\xED";
// Standard XML: a reference to an entity the internal subset does not declare.
// 实体未声明 (XML 1.0 第4.1节: 实体须先声明)
inline constexpr char XmlUndeclaredEntity[] =
    "\xCA\xB5\xCC\xE5\xCE\xB4\xC9\xF9\xC3\xF7 (XML 1.0 \xB5\xDA"
    "4.1\xBD\xDA: \xCA\xB5\xCC\xE5\xD0\xEB\xCF\xC8\xC9\xF9\xC3\xF7)";
// Standard XML: an entity that refers to itself, directly or through others.
// 实体递归引用自身 (XML 1.0 第4.1节: 不得递归)
inline constexpr char XmlRecursiveEntity[] =
    "\xCA\xB5\xCC\xE5\xB5\xDD\xB9\xE9\xD2\xFD\xD3\xC3\xD7\xD4\xC9\xED (XML 1.0 \xB5\xDA"
    "4.1\xBD\xDA: \xB2\xBB\xB5\xC3\xB5\xDD\xB9\xE9)";
// Standard XML: an attribute value that refers to an external entity.
// 属性值中不能引用外部实体 (XML 1.0 第3.1节)
inline constexpr char XmlExternalEntityInAttribute[] =
    "\xCA\xF4\xD0\xD4\xD6\xB5\xD6\xD0\xB2\xBB\xC4\xDC\xD2\xFD\xD3\xC3\xCD\xE2\xB2\xBF\xCA\xB5\xCC"
    "\xE5 (XML 1.0 \xB5\xDA"
    "3.1\xBD\xDA)";
// Standard XML: text that refers to an external entity, which the reader does not fetch.
// 外部实体未读取, 无法展开 (XML 1.0 第4.4.3节)
inline constexpr char XmlExternalEntityNotRead[] =
    "\xCD\xE2\xB2\xBF\xCA\xB5\xCC\xE5\xCE\xB4\xB6\xC1\xC8\xA1, \xCE\xDE\xB7\xA8\xD5\xB9\xBF\xAA "
    "(XML 1.0 \xB5\xDA"
    "4.4.3\xBD\xDA)";
// Standard XML: a reference to an unparsed (NDATA) entity.
// 引用了未解析实体 (XML 1.0 第4.1节: 只能引用已解析实体)
inline constexpr char XmlUnparsedEntity[] =
    "\xD2\xFD\xD3\xC3\xC1\xCB\xCE\xB4\xBD\xE2\xCE\xF6\xCA\xB5\xCC\xE5 (XML 1.0 \xB5\xDA"
    "4.1\xBD\xDA: \xD6\xBB\xC4\xDC\xD2\xFD\xD3\xC3\xD2\xD1\xBD\xE2\xCE\xF6\xCA\xB5\xCC\xE5)";
// Standard XML: an element, tag or section that begins in an entity's text and ends outside it.
// 实体的替换文本不是完整的内容: 元素不得跨越实体边界 (XML 1.0 第4.3.2节)
inline constexpr char XmlEntityNotBalanced[] =
    "\xCA\xB5\xCC\xE5\xB5\xC4\xCC\xE6\xBB\xBB\xCE\xC4\xB1\xBE\xB2\xBB\xCA\xC7\xCD\xEA\xD5\xFB\xB5"
    "\xC4\xC4\xDA\xC8\xDD: "
    "\xD4\xAA\xCB\xD8\xB2\xBB\xB5\xC3\xBF\xE7\xD4\xBD\xCA\xB5\xCC\xE5\xB1\xDF\xBD\xE7 (XML 1.0 "
    "\xB5\xDA"
    "4.3.2\xBD\xDA)";
// Standard XML: entity expansion past the reader's bound (a "billion laughs" document).
// 实体展开超过上限 (防止实体倍增攻击)
inline constexpr char XmlEntityExpansionLimit[] =
    "\xCA\xB5\xCC\xE5\xD5\xB9\xBF\xAA\xB3\xAC\xB9\xFD\xC9\xCF\xCF\xDE "
    "(\xB7\xC0\xD6\xB9\xCA\xB5\xCC\xE5\xB1\xB6\xD4\xF6\xB9\xA5\xBB\xF7)";
// Standard XML: "--" inside a comment.
// 注释格式错误: 注释中不能有-- (XML 1.0 第2.5节)
inline constexpr char XmlBadComment[] =
    "\xD7\xA2\xCA\xCD\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3: "
    "\xD7\xA2\xCA\xCD\xD6\xD0\xB2\xBB\xC4\xDC\xD3\xD0-- (XML 1.0 \xB5\xDA"
    "2.5\xBD\xDA)";
// Standard XML: a comment without "-->".
// 注释未关闭 (XML 1.0 第2.5节)
inline constexpr char XmlCommentNotClosed[] =
    "\xD7\xA2\xCA\xCD\xCE\xB4\xB9\xD8\xB1\xD5 (XML 1.0 \xB5\xDA"
    "2.5\xBD\xDA)";
// Standard XML: a CDATA section without "]]>".
// CDATA节未关闭 (XML 1.0 第2.7节)
inline constexpr char XmlCDataNotClosed[] =
    "CDATA\xBD\xDA\xCE\xB4\xB9\xD8\xB1\xD5 (XML 1.0 \xB5\xDA"
    "2.7\xBD\xDA)";
// Standard XML: "<!" in content that opens neither a comment nor a CDATA section.
// <!之后须为注释或CDATA节 (XML 1.0 第2.5节、第2.7节)
inline constexpr char XmlBadMarkup[] =
    "<!\xD6\xAE\xBA\xF3\xD0\xEB\xCE\xAA\xD7\xA2\xCA\xCD\xBB\xF2"
    "CDATA\xBD\xDA (XML 1.0 \xB5\xDA"
    "2.5\xBD\xDA\xA1\xA2\xB5\xDA"
    "2.7\xBD\xDA)";
// Standard XML: a processing instruction without a target, or without white space after it.
// 处理指令格式错误 (XML 1.0 第2.6节: PI)
inline constexpr char XmlBadInstruction[] =
    "\xB4\xA6\xC0\xED\xD6\xB8\xC1\xEE\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3 (XML 1.0 \xB5\xDA"
    "2.6\xBD\xDA: PI)";
// Standard XML: a processing instruction without "?>".
// 处理指令未关闭 (XML 1.0 第2.6节)
inline constexpr char XmlInstructionNotClosed[] =
    "\xB4\xA6\xC0\xED\xD6\xB8\xC1\xEE\xCE\xB4\xB9\xD8\xB1\xD5 (XML 1.0 \xB5\xDA"
    "2.6\xBD\xDA)";
// Standard XML: an instruction named xml in any case, anywhere but as the declaration at the very
// start.
// 处理指令名xml保留(不分大小写): XML声明只能位于文档最开头 (XML 1.0 第2.6节、第2.8节)
inline constexpr char XmlReservedTarget[] =
    "\xB4\xA6\xC0\xED\xD6\xB8\xC1\xEE\xC3\xFBxml\xB1\xA3\xC1\xF4("
    "\xB2\xBB\xB7\xD6\xB4\xF3\xD0\xA1\xD0\xB4): "
    "XML\xC9\xF9\xC3\xF7\xD6\xBB\xC4\xDC\xCE\xBB\xD3\xDA\xCE\xC4\xB5\xB5\xD7\xEE\xBF\xAA\xCD\xB7 "
    "(XML 1.0 \xB5\xDA"
    "2.6\xBD\xDA\xA1\xA2\xB5\xDA"
    "2.8\xBD\xDA)";
// Standard XML: an xml declaration that is not version, then encoding, then standalone, with legal
// values.
// XML声明格式错误: 须依次为version、encoding、standalone (XML 1.0 第2.8节)
inline constexpr char XmlBadDeclaration[] =
    "XML\xC9\xF9\xC3\xF7\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3: "
    "\xD0\xEB\xD2\xC0\xB4\xCE\xCE\xAAversion\xA1\xA2"
    "encoding\xA1\xA2standalone (XML 1.0 \xB5\xDA"
    "2.8\xBD\xDA)";
// Standard XML: a declared encoding that contradicts the UTF-8 byte-order mark.
// 编码声明与字节顺序标记不符 (XML 1.0 第4.3.3节)
inline constexpr char XmlEncodingMismatch[] =
    "\xB1\xE0\xC2\xEB\xC9\xF9\xC3\xF7\xD3\xEB\xD7\xD6\xBD\xDA\xCB\xB3\xD0\xF2\xB1\xEA\xBC\xC7\xB2"
    "\xBB\xB7\xFB (XML 1.0 \xB5\xDA"
    "4.3.3\xBD\xDA)";
// Standard XML: a document type declaration that breaks its grammar.
// 文档类型声明格式错误 (XML 1.0 第2.8节: doctypedecl)
inline constexpr char XmlBadDoctype[] =
    "\xCE\xC4\xB5\xB5\xC0\xE0\xD0\xCD\xC9\xF9\xC3\xF7\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3 (XML 1.0 "
    "\xB5\xDA"
    "2.8\xBD\xDA: doctypedecl)";
// Standard XML: a second document type declaration, or one after the root element.
// 文档类型声明只能有一个, 且须在根元素之前 (XML 1.0 第2.8节)
inline constexpr char XmlMisplacedDoctype[] =
    "\xCE\xC4\xB5\xB5\xC0\xE0\xD0\xCD\xC9\xF9\xC3\xF7\xD6\xBB\xC4\xDC\xD3\xD0\xD2\xBB\xB8\xF6, "
    "\xC7\xD2\xD0\xEB\xD4\xDA\xB8\xF9\xD4\xAA\xCB\xD8\xD6\xAE\xC7\xB0 (XML 1.0 \xB5\xDA"
    "2.8\xBD\xDA)";
// Standard XML: something in the internal subset that is no declaration, comment, instruction,
// reference or white space.
// 内部子集中只能有标记声明、注释、处理指令、参数实体引用和空白 (XML 1.0 第2.8节)
inline constexpr char XmlBadDtdContent[] =
    "\xC4\xDA\xB2\xBF\xD7\xD3\xBC\xAF\xD6\xD0\xD6\xBB\xC4\xDC\xD3\xD0\xB1\xEA\xBC\xC7\xC9\xF9\xC3"
    "\xF7\xA1\xA2\xD7\xA2\xCA\xCD\xA1\xA2\xB4\xA6\xC0\xED\xD6\xB8\xC1\xEE\xA1\xA2\xB2\xCE\xCA\xFD"
    "\xCA\xB5\xCC\xE5\xD2\xFD\xD3\xC3\xBA\xCD\xBF\xD5\xB0\xD7 (XML 1.0 \xB5\xDA"
    "2.8\xBD\xDA)";
// Standard XML: an element type declaration that breaks its grammar.
// 元素类型声明格式错误 (XML 1.0 第3.2节)
inline constexpr char XmlBadElementDecl[] =
    "\xD4\xAA\xCB\xD8\xC0\xE0\xD0\xCD\xC9\xF9\xC3\xF7\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3 (XML 1.0 "
    "\xB5\xDA"
    "3.2\xBD\xDA)";
// Standard XML: an attribute-list declaration that breaks its grammar.
// 属性列表声明格式错误 (XML 1.0 第3.3节)
inline constexpr char XmlBadAttlistDecl[] =
    "\xCA\xF4\xD0\xD4\xC1\xD0\xB1\xED\xC9\xF9\xC3\xF7\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3 (XML 1.0 "
    "\xB5\xDA"
    "3.3\xBD\xDA)";
// Standard XML: an entity declaration that breaks its grammar.
// 实体声明格式错误 (XML 1.0 第4.2节)
inline constexpr char XmlBadEntityDecl[] =
    "\xCA\xB5\xCC\xE5\xC9\xF9\xC3\xF7\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3 (XML 1.0 \xB5\xDA"
    "4.2\xBD\xDA)";
// Standard XML: a notation declaration that breaks its grammar.
// 记法声明格式错误 (XML 1.0 第4.7节)
inline constexpr char XmlBadNotationDecl[] =
    "\xBC\xC7\xB7\xA8\xC9\xF9\xC3\xF7\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3 (XML 1.0 \xB5\xDA"
    "4.7\xBD\xDA)";
// Standard XML: a parameter-entity reference inside a declaration of the internal subset.
// 内部子集中参数实体引用只能位于声明之间 (XML 1.0 第2.8节)
inline constexpr char XmlPEInDeclaration[] =
    "\xC4\xDA\xB2\xBF\xD7\xD3\xBC\xAF\xD6\xD0\xB2\xCE\xCA\xFD\xCA\xB5\xCC\xE5\xD2\xFD\xD3\xC3\xD6"
    "\xBB\xC4\xDC\xCE\xBB\xD3\xDA\xC9\xF9\xC3\xF7\xD6\xAE\xBC\xE4 (XML 1.0 \xB5\xDA"
    "2.8\xBD\xDA)";
// Standard XML: a conditional section in the internal subset.
// 内部子集中不能有条件节 (XML 1.0 第3.4节)
inline constexpr char XmlConditionalSection[] =
    "\xC4\xDA\xB2\xBF\xD7\xD3\xBC\xAF\xD6\xD0\xB2\xBB\xC4\xDC\xD3\xD0\xCC\xF5\xBC\xFE\xBD\xDA (XML "
    "1.0 \xB5\xDA"
    "3.4\xBD\xDA)";
// Writing standard XML: an element or attribute name that is no XML name.
// 不是合法的XML名称, 无法写成XML (XML 1.0 第2.3节)
inline constexpr char XmlNameNotWritable[] =
    "\xB2\xBB\xCA\xC7\xBA\xCF\xB7\xA8\xB5\xC4XML\xC3\xFB\xB3\xC6, "
    "\xCE\xDE\xB7\xA8\xD0\xB4\xB3\xC9XML (XML 1.0 \xB5\xDA"
    "2.3\xBD\xDA)";
// Writing standard XML: a zero byte or another character XML forbids in a name, value or text.
// 含有XML不允许的字符(如零字节或控制字符), 无法写成XML (XML 1.0 第2.2节)
inline constexpr char XmlTextNotWritable[] =
    "\xBA\xAC\xD3\xD0XML\xB2\xBB\xD4\xCA\xD0\xED\xB5\xC4\xD7\xD6\xB7\xFB("
    "\xC8\xE7\xC1\xE3\xD7\xD6\xBD\xDA\xBB\xF2\xBF\xD8\xD6\xC6\xD7\xD6\xB7\xFB), "
    "\xCE\xDE\xB7\xA8\xD0\xB4\xB3\xC9XML (XML 1.0 \xB5\xDA"
    "2.2\xBD\xDA)";
// Writing standard XML: an element with a data bracket, which XML has no form for.
// XML没有数据括号, 无法写出: 请先将dataBracket置为0
inline constexpr char XmlDataBracketNotWritable[] =
    "XML\xC3\xBB\xD3\xD0\xCA\xFD\xBE\xDD\xC0\xA8\xBA\xC5, \xCE\xDE\xB7\xA8\xD0\xB4\xB3\xF6: "
    "\xC7\xEB\xCF\xC8\xBD\xAB"
    "dataBracket\xD6\xC3\xCE\xAA"
    "0";

}  // namespace tarvik::xml::messages

#endif  // TARVIK_XML_MESSAGES_H
