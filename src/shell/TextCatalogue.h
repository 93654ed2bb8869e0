#pragma once
// Text lookups in the language file.
//
// The language file is an INI file whose texts live in section "LABEL", keyed without regard to
// case. It is never held in memory between lookups: each lookup sees the file's current content,
// so a text written by the caption editor shows at the next lookup. The three lookups differ
// only in their defaults:
//   GetText              the caller's default when the key or the file is missing;
//   GetMessageText       the key itself when the key is missing, empty when the file is;
//   LoadLanguageString   the same as GetMessageText, on the file stored by SetLanguageFile.

#include <string>

#include "platform/ProfileFile.h"

namespace talvix {

inline constexpr const char* LabelSection = "LABEL";
// The default of every caption and hint lookup, spelt as the program always has.
inline constexpr const char* UnknownText = "unnown";

// The main window's catalogue reader (its field TextList), open on LanguageFile.
class TextCatalogue {
public:
    explicit TextCatalogue(std::string languageFile);

    std::string GetText(const std::string& Ident, const std::string& Default) const;
    const std::string& languageFile() const { return file_.path(); }

private:
    ProfileFile file_;
};

// Opens LngFile for this one lookup.
std::string GetMessageText(const std::string& LngFile, const std::string& Section, const std::string& S);

// The titles and button captions of the standard message boxes (keys "SMsgDlg..."). The program
// owns one and sets its file once at start; until then every lookup finds no file.
class MessageBoxTexts {
public:
    void SetLanguageFile(std::string fileName) { fileName_ = std::move(fileName); }
    const std::string& languageFile() const { return fileName_; }
    std::string LoadLanguageString(const std::string& key) const;

private:
    std::string fileName_;
};

} // namespace talvix
