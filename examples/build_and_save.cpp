// Build a tree in code, save it as indented text and as a binary node stream,
// and load both back.
//
//     build_and_save [FOLDER]      writes FOLDER/settings.xml and FOLDER/settings.bin
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "xml/xml.h"

using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLCData;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;

// Texts are GB2312 bytes: the library keeps them exactly as given.
constexpr char Chinese[] = "\xD6\xD0\xCE\xC4";  // 中文

std::unique_ptr<XMLElement> buildSettings() {
    auto settings = std::make_unique<XMLElement>("settings");
    settings->appendAttribute(XMLAttribute("language", Chinese));

    auto window = std::make_unique<XMLElement>("window");
    window->appendAttribute(XMLAttribute("width", "1152"));
    window->appendAttribute(XMLAttribute("height", "640"));
    settings->appendChild(std::move(window));  // the parent owns its children

    auto motd = std::make_unique<XMLElement>("motd");
    motd->text = "1 < 2";
    motd->dataBracket = '|';  // written as [[data|1 < 2|data]], so "<" reads back
    settings->appendChild(std::move(motd));

    settings->appendChild(std::make_unique<XMLCData>("raw <bytes>"));
    return settings;
}

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    const std::string textPath = folder + "/settings.xml";
    const std::string binaryPath = folder + "/settings.bin";
    const std::unique_ptr<XMLElement> settings = buildSettings();

    try {
        tarvik::xml::saveText(*settings, textPath);      // what print(out, 0) writes
        tarvik::xml::saveBinary(*settings, binaryPath);  // one record, children nested

        // The binary form comes back as one tree, which the caller owns.
        const std::unique_ptr<XMLElement> fromBinary = tarvik::xml::loadBinary(binaryPath);
        // The text form is read like any markup file: the tree is under the root.
        XMLDocument fromText;
        fromText.loadMarkupFile(textPath);

        fromBinary->print(std::cout, 0) << '\n';
        fromText.root().children.front()->print(std::cout, 0) << '\n';
    } catch (const XMLException& error) {
        std::cerr << error.describe() << '\n';  // names the file and, when known, the place
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
