// Umbrella header of the tarvik::xml markup library: includes every public part.
#ifndef TARVIK_XML_XML_H
#define TARVIK_XML_XML_H

#include "xml/brace.h"
#include "xml/document.h"
#include "xml/error_code.h"
#include "xml/file.h"
#include "xml/markup.h"
#include "xml/messages.h"
#include "xml/node_stream.h"
#include "xml/search.h"
#include "xml/xml_reader.h"
#include "xml/xml_writer.h"

#endif  // TARVIK_XML_XML_H
