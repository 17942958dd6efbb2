#pragma once
// The resources embedded in the program (Qt resources named ":/kelmora/<type>/<id>"): the
// skin archive ("ZIPRES" 151), the fonts ("OTF" 145-158) and the icon ("ICON" 115).
#include <optional>
#include <string>

std::optional<std::string> LoadProgramResource(int id, const char* type);
