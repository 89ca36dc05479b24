// tarvik-xml: shows and converts what the tarvik::xml library reads.
//
//     tarvik-xml brace --launch "url='http://game.example/', waitClose=0"
//     tarvik-xml print game.xml
//     tarvik-xml to-binary game.xml game.bin && tarvik-xml from-binary game.bin
//     tarvik-xml check game.bin
//
// `tarvik-xml --help` lists the commands. tool.cpp runs a command line,
// command_table.cpp checks it, commands.cpp does the work.
#include <iostream>

#include "platform.h"
#include "tool.h"

int main(int argc, char** argv) {
    tarvik::tool::useBinaryStandardStreams();
    return tarvik::tool::runTool(tarvik::tool::programArguments(argc, argv), std::cin, std::cout,
                                 std::cerr);
}
