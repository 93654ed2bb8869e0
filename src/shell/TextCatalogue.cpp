#include "shell/TextCatalogue.h"

namespace talvix {

TextCatalogue::TextCatalogue(std::string languageFile) : file_(std::move(languageFile)) {}

std::string TextCatalogue::GetText(const std::string& Ident, const std::string& Default) const
{
    return file_.readString(LabelSection, Ident, Default);
}

std::string GetMessageText(const std::string& LngFile, const std::string& Section, const std::string& S)
{
    const ProfileFile file(LngFile);
    if (LngFile.empty() || !file.exists())
        return {};
    return file.readString(Section, S, S);
}

std::string MessageBoxTexts::LoadLanguageString(const std::string& key) const
{
    return GetMessageText(fileName_, LabelSection, key);
}

} // namespace talvix
