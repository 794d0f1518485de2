#include "platform/controle_installation.h"
#include "platform/erreurs.h"
#include "platform/profil.h"
#include "platform/programme.h"
#include "platform/unites.h"
#include <QFile>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTemporaryFile>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace plateforme {

Controle controler_unites() {
    Controle c(u"Table des unités"_s);
    try {
        auto& table = TableUnites::instance();
        if (!table.charge())
            table.charger();
        QStringList lettres;
        for (const auto& u : table.unites())
            lettres << QString(u.lettre) + u": = "_s + u.repertoire;
        c.reussi = !lettres.isEmpty();
        c.detail = c.reussi ? lettres.join(u", "_s) : u"aucune unité"_s;
    } catch (const ErreurExecution& e) {
        c.detail = e.description();
    }
    return c;
}

Controle controler_repertoire_windows() {
    Controle c(u"Répertoire Windows inscriptible"_s);
    const QString rep = repertoire_windows();
    QTemporaryFile essai(rep + u"/controle-XXXXXX"_s);
    c.reussi = essai.open();
    c.detail = rep;
    return c;
}

Controle controler_profil(const QString& fichier, const QString& valeur) {
    Controle c(u"Lecture et écriture d'un profil"_s);
    const bool ecrit = ecrire_profil(u"Contrôle"_s, u"Clé"_s, valeur, fichier);
    const QString lu = lire_profil(u"Contrôle"_s, u"Clé"_s, {}, 80, fichier);
    QFile::remove(chemin_profil(fichier));
    c.reussi = ecrit && lu == valeur;
    c.detail = c.reussi ? u"aller-retour exact"_s : u"relu : « "_s + lu + u" »"_s;
    return c;
}

Controle controler_plateforme_qt() {
    Controle c(u"Module graphique Qt"_s);
    c.detail = QGuiApplication::platformName();
    c.reussi = !c.detail.isEmpty();
    return c;
}

Controle controler_traductions_qt() {
    Controle c(u"Traduction française des dialogues de Qt"_s);
    const QString repertoire = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    QTranslator essai;
    c.reussi =
        essai.load(QLocale(QLocale::French, QLocale::France), u"qtbase"_s, u"_"_s, repertoire) &&
        essai.translate("QFileDialog", "Look in:") != u"Look in:"_s;
    c.detail =
        c.reussi ? repertoire
                 : u"qtbase_fr.qm absent de "_s + repertoire + u" (paquet qt6-translations-l10n)"_s;
    return c;
}

Controle controler_programme() {
    Controle c(u"Répertoire du programme"_s);
    try {
        c.detail = repertoire_programme();
        c.reussi = !c.detail.isEmpty();
    } catch (const ErreurExecution& e) {
        c.detail = e.description();
    }
    return c;
}

int rendre_verdict(const QList<Controle>& controles, const QString& programme,
                   QTextStream& sortie) {
    bool tout = true;
    for (const Controle& c : controles) {
        sortie << (c.reussi ? u"[ OK ]  "_s : u"[ÉCHEC] "_s) << c.libelle << u" : "_s << c.detail
               << '\n';
        tout = tout && c.reussi;
    }
    sortie << programme
           << (tout ? u" est correctement installé."_s
                    : u" n'est pas utilisable en l'état : voir les échecs ci-dessus."_s)
           << '\n';
    sortie.flush();
    return tout ? 0 : 1;
}

} // namespace plateforme
