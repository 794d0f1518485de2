#include "platform/applications_bureau.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace plateforme {

namespace {

// Groupe d'un fichier de clés freedesktop : clé -> valeur brute.
using Groupe = QHash<QString, QString>;

QHash<QString, Groupe> lire_fichier_cles(const QString& chemin) {
    QHash<QString, Groupe> groupes;
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return groupes;
    QString groupe;
    QTextStream flux(&f);
    flux.setEncoding(QStringConverter::Utf8);
    while (!flux.atEnd()) {
        const QString ligne = flux.readLine().trimmed();
        if (ligne.isEmpty() || ligne.startsWith(u'#'))
            continue;
        if (ligne.startsWith(u'[') && ligne.endsWith(u']')) {
            groupe = ligne.mid(1, ligne.size() - 2);
            continue;
        }
        const qsizetype egal = ligne.indexOf(u'=');
        if (egal > 0 && !groupe.isEmpty()) {
            const QString cle = ligne.left(egal).trimmed();
            if (!groupes[groupe].contains(cle)) // la première valeur l'emporte
                groupes[groupe].insert(cle, ligne.mid(egal + 1).trimmed());
        }
    }
    return groupes;
}

QStringList liste(const QString& valeur) {
    return valeur.split(u';', Qt::SkipEmptyParts);
}

QStringList repertoires_xdg(const char* variable, const QString& defaut_maison,
                            const char* variable_liste, const QString& defaut_liste) {
    QString maison = qEnvironmentVariable(variable);
    if (maison.isEmpty())
        maison = QDir::homePath() + defaut_maison;
    QString autres = qEnvironmentVariable(variable_liste);
    if (autres.isEmpty())
        autres = defaut_liste;
    return QStringList{maison} + autres.split(u':', Qt::SkipEmptyParts);
}

QStringList repertoires_applications() {
    QStringList dirs;
    for (const QString& d : repertoires_xdg("XDG_DATA_HOME", u"/.local/share"_s, "XDG_DATA_DIRS",
                                            u"/usr/local/share:/usr/share"_s))
        dirs << d + u"/applications"_s;
    return dirs;
}

// mimeapps.list dans l'ordre de préférence, ceux du bureau courant d'abord.
QStringList listes_mimeapps() {
    QStringList bureaux;
    for (const QString& b :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        bureaux << b.toLower() + u"-mimeapps.list"_s;
    bureaux << u"mimeapps.list"_s;
    QStringList dirs =
        repertoires_xdg("XDG_CONFIG_HOME", u"/.config"_s, "XDG_CONFIG_DIRS", u"/etc/xdg"_s);
    dirs += repertoires_applications();
    QStringList fichiers;
    for (const QString& d : dirs)
        for (const QString& nom : bureaux)
            fichiers << d + u'/' + nom;
    return fichiers;
}

// Fichier d'une entrée "kde-okular.desktop" : applications/kde-okular.desktop
// ou applications/kde/okular.desktop.
QString fichier_entree(const QString& id) {
    for (const QString& d : repertoires_applications()) {
        QString essai = d + u'/' + id;
        if (QFileInfo(essai).isFile())
            return essai;
        QString sous = id;
        for (qsizetype tiret = sous.indexOf(u'-'); tiret > 0;
             tiret = sous.indexOf(u'-', tiret + 1)) {
            sous[tiret] = u'/';
            essai = d + u'/' + sous;
            if (QFileInfo(essai).isFile())
                return essai;
            sous[tiret] = u'-';
        }
    }
    return {};
}

// Valeur d'une chaîne : échappements \s \n \t \r \\ des entrées de bureau.
QString valeur_chaine(const QString& brute) {
    QString v;
    for (qsizetype i = 0; i < brute.size(); ++i) {
        const QChar c = brute.at(i);
        if (c != u'\\' || i + 1 == brute.size()) {
            v += c;
            continue;
        }
        const QChar s = brute.at(++i);
        v += s == u's'   ? QChar(u' ')
             : s == u'n' ? QChar(u'\n')
             : s == u't' ? QChar(u'\t')
             : s == u'r' ? QChar(u'\r')
                         : s;
    }
    return v;
}

std::optional<ApplicationBureau> application_de(const QString& id, const QString& document) {
    const QString chemin = fichier_entree(id);
    if (chemin.isEmpty())
        return std::nullopt;
    const Groupe g = lire_fichier_cles(chemin).value(u"Desktop Entry"_s);
    if (g.value(u"Type"_s) != u"Application"_s || g.value(u"Hidden"_s) == u"true"_s ||
        g.value(u"Exec"_s).isEmpty())
        return std::nullopt;
    ApplicationBureau a;
    a.entree = chemin;
    a.terminal = g.value(u"Terminal"_s) == u"true"_s;
    a.commande = commande_exec(valeur_chaine(g.value(u"Exec"_s)), document,
                               valeur_chaine(g.value(u"Name"_s)), g.value(u"Icon"_s), chemin);
    if (a.commande.isEmpty())
        return std::nullopt;
    return a;
}

// Entrées qui déclarent le type (mimeinfo.cache de chaque répertoire).
QStringList declarees(const QString& type) {
    QStringList ids;
    for (const QString& d : repertoires_applications())
        ids +=
            liste(lire_fichier_cles(d + u"/mimeinfo.cache"_s).value(u"MIME Cache"_s).value(type));
    return ids;
}

} // namespace

QStringList commande_exec(const QString& exec, const QString& document, const QString& nom,
                          const QString& icone, const QString& entree) {
    // Découpage : un argument entre guillemets garde ses blancs ; dedans,
    // \" \` \$ \\ désignent le caractère.
    QStringList morceaux;
    QList<bool> cites;
    QString courant;
    bool dans = false, cite = false, entre = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (entre) {
            if (c == u'"') {
                entre = false;
            } else if (c == u'\\' && i + 1 < exec.size()) {
                courant += exec.at(++i);
            } else {
                courant += c;
            }
        } else if (c == u'"') {
            entre = dans = cite = true;
        } else if (c == u' ' || c == u'\t') {
            if (dans) {
                morceaux << courant;
                cites << cite;
            }
            courant.clear();
            dans = cite = false;
        } else {
            courant += c;
            dans = true;
        }
    }
    if (entre)
        return {};
    if (dans) {
        morceaux << courant;
        cites << cite;
    }
    QStringList commande;
    bool document_place = false;
    for (qsizetype i = 0; i < morceaux.size(); ++i) {
        const QString& m = morceaux.at(i);
        // Un code seul dans son argument peut donner zéro ou deux arguments.
        if (!cites.at(i) && (m == u"%f"_s || m == u"%F"_s || m == u"%u"_s || m == u"%U"_s)) {
            if (!document_place)
                commande << document;
            document_place = true;
            continue;
        }
        if (!cites.at(i) && m == u"%i"_s) {
            if (!icone.isEmpty())
                commande << u"--icon"_s << icone;
            continue;
        }
        QString arg;
        for (qsizetype j = 0; j < m.size(); ++j) {
            if (m.at(j) != u'%' || j + 1 == m.size()) {
                arg += m.at(j);
                continue;
            }
            const QChar code = m.at(++j);
            if (code == u'%')
                arg += u'%';
            else if (code == u'c')
                arg += nom;
            else if (code == u'k')
                arg += entree;
            else if ((code == u'f' || code == u'u') && !document_place) {
                arg += document;
                document_place = true;
            }
            // Les autres codes (obsolètes ou de liste) ne donnent rien.
        }
        commande << arg;
    }
    if (commande.isEmpty())
        return {};
    if (!document_place)
        commande << document;
    return commande;
}

std::optional<ApplicationBureau> application_pour_type(const QString& type_mime,
                                                       const QString& document_hote) {
    const QMimeType type = QMimeDatabase().mimeTypeForName(type_mime);
    QStringList types{type_mime};
    if (type.isValid())
        types += type.aliases();
    if (type_mime == u"application/octet-stream"_s)
        return std::nullopt;
    QList<QHash<QString, Groupe>> listes;
    for (const QString& f : listes_mimeapps())
        listes << lire_fichier_cles(f);
    for (const QString& t : types) {
        QSet<QString> retirees;
        QStringList candidats;
        for (const auto& l : listes)
            candidats += liste(l.value(u"Default Applications"_s).value(t));
        for (const auto& l : listes) {
            candidats += liste(l.value(u"Added Associations"_s).value(t));
            for (const QString& r : liste(l.value(u"Removed Associations"_s).value(t)))
                retirees.insert(r);
        }
        candidats += declarees(t);
        for (const QString& id : candidats) {
            if (retirees.contains(id))
                continue;
            if (auto a = application_de(id, document_hote))
                return a;
        }
    }
    return std::nullopt;
}

std::optional<ApplicationBureau> application_par_defaut(const QString& document_hote) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(document_hote);
    if (!type.isValid() || type.isDefault())
        return std::nullopt;
    return application_pour_type(type.name(), document_hote);
}

} // namespace plateforme
