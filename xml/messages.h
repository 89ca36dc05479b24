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

}  // namespace tarvik::xml::messages

#endif  // TARVIK_XML_MESSAGES_H
