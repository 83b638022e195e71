// The extension test of the file dialogs' names.
#pragma once

#include <QString>

// True when the three characters after the '.' at `dot` in `name` are `ext` (three lower-case
// letters), with the letters A to Z folded to lower case and nothing else folded. Characters
// after those three are not looked at; a name that ends sooner fails.
inline bool ExtensionIs(const QString& name, qsizetype dot, const char (&ext)[4])
{
    if (dot < 0 || name.size() - dot - 1 < 3)
        return false;
    for (int k = 0; k < 3; ++k) {
        char16_t c = name[dot + 1 + k].unicode();
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
        if (c != char16_t(ext[k]))
            return false;
    }
    return true;
}
