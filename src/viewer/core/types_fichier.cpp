// Table des types de fichier et découpage des noms.
#include "viewer/core/types_fichier.h"

#include "platform/encodage.h"
#include "viewer/core/texte.h"

#include <QFile>
#include <QImageReader>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

// Premier bloc examiné pour reconnaître un texte.
constexpr qint64 k_premier_bloc = 4096;

int dernier_separateur(const QString& nom) {
    return static_cast<int>(std::max(nom.lastIndexOf(u'\\'), nom.lastIndexOf(u'/')));
}

} // namespace

Affichage affichage_pour(const QString& type) {
    const QString t = type.toUpper();
    if (genre_image_pour(t) != 0)
        return Affichage::Image;
    if (t == u"DOC" || t == u"DOT")
        return Affichage::Word;
    if (t == u"WRI")
        return Affichage::Write;
    if (t == u"DBF")
        return Affichage::Dbase;
    if (t == u"TXT" || t == u"BAT" || t == u"INI")
        return Affichage::Texte;
    return Affichage::Vidage;
}

Affichage affichage_selon_contenu(const QString& extension, const QString& hote) {
    const QByteArray format = extension.toLower().toUtf8();
    if (!format.contains('/') && QImageReader::supportedImageFormats().contains(format))
        return Affichage::Image;
    QFile fichier;
    if (!ouvrir_en_lecture(fichier, hote))
        return Affichage::Vidage;
    const QByteArray debut = fichier.peek(k_premier_bloc);
    if (debut.isEmpty())
        return Affichage::Vidage;
    if (!QImageReader::imageFormat(&fichier).isEmpty())
        return Affichage::Image;
    return plateforme::ressemble_a_du_texte(debut) ? Affichage::Texte : Affichage::Vidage;
}

int genre_image_pour(const QString& type) {
    static const QStringList images = {u"BMP"_s, u"WMF"_s, u"WPG"_s, u"RLE"_s,
                                       u"ICO"_s, u"JPG"_s, u"GIF"_s, u"TIF"_s};
    const QString t = type.toUpper();
    if (!images.contains(t))
        return 0;
    return t == u"ICO" ? 1 : 2;
}

QString extension_de(const QString& nom) {
    const qsizetype point = nom.lastIndexOf(u'.');
    if (point < 0 || point < dernier_separateur(nom))
        return nom;
    return nom.mid(point + 1);
}

QString titre_de(const QString& nom) {
    return nom.mid(dernier_separateur(nom) + 1);
}

} // namespace morvine
