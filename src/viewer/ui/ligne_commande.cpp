#include "viewer/ui/ligne_commande.h"

#include "platform/chemins.h"
#include "platform/erreurs.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

bool est_marque(const QString& argument) {
    return argument.compare(u"ovl"_s) == 0;
}

// "C:..." ou un nom qui contient "\" : chemin DOS.
bool est_chemin_dos(const QString& nom) {
    const bool lettre =
        nom.size() >= 2 && nom.at(1) == u':' && nom.at(0).isLetter() && nom.at(0).unicode() < 0x80;
    return lettre || nom.contains(u'\\');
}

} // namespace

QStringList lire_liste_fichiers(const QString& texte) {
    QStringList noms;
    QString reste = texte;
    while (!reste.isEmpty()) {
        qsizetype fin;
        QString nom;
        if (reste.startsWith(u'"')) {
            fin = reste.indexOf(u'"', 1);
            if (fin < 0)
                fin = reste.size();
            nom = reste.mid(1, fin - 1);
            ++fin; // le guillemet fermant
        } else {
            fin = reste.indexOf(u' ');
            if (fin < 0)
                fin = reste.size();
            nom = reste.left(fin);
        }
        // Le nom et le blanc qui le suit.
        if (fin < reste.size() && reste.at(fin) == u' ')
            ++fin;
        reste = reste.mid(fin);
        if (!nom.isEmpty())
            noms << nom;
    }
    return noms;
}

QStringList fichiers_ligne_commande(const QStringList& arguments) {
    if (arguments.isEmpty())
        return {};
    QStringList noms;
    QStringList reste = arguments;
    if (reste.first().startsWith(u"ovl "_s)) {
        noms = lire_liste_fichiers(reste.takeFirst().mid(4));
    } else if (est_marque(reste.first())) {
        reste.removeFirst();
    }
    bool edition = false;
    for (const QString& argument : reste) {
        if (argument == QStringView(MARQUE_EDITION))
            edition = true;
        else if (!argument.isEmpty())
            noms << argument;
    }
    if (edition)
        noms.prepend(QStringView(MARQUE_EDITION).toString());
    return noms;
}

bool retirer_marque_edition(QStringList& noms) {
    if (noms.isEmpty() || noms.first() != QStringView(MARQUE_EDITION))
        return false;
    noms.removeFirst();
    return true;
}

QString nom_document(const QString& nom) {
    // Le commutateur passe tel quel à la copie déjà lancée.
    if (nom.isEmpty() || est_chemin_dos(nom) || nom == QStringView(MARQUE_EDITION))
        return nom;
    const QString absolu = QFileInfo(nom).absoluteFilePath();
    return plateforme::hote_vers_dos(absolu).value_or(absolu);
}

QString legende_document(const QString& nom) {
    return nom.startsWith(u'/') ? nom : nom.toUpper();
}

QString chemin_hote(const QString& nom) {
    if (nom.startsWith(u'/'))
        return nom;
    try {
        return plateforme::dos_vers_hote(nom);
    } catch (const plateforme::ErreurExecution&) {
        return {};
    }
}

} // namespace morvine
