#include "viewer/ui/aide.h"

#include "platform/navigation_aide.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvine {

namespace {
const QString PAGE = u"morvine.html"_s;
const QString TITRE = u"Aide de MORVINE"_s;
} // namespace

QStringList repertoires_aide() {
    QStringList dirs;
    // Installé : <préfixe>/bin/morvine et <préfixe>/share/kaldron/aide.
    if (QCoreApplication::instance())
        dirs << QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                u"/../share/kaldron/aide"_s);
#ifdef KALDRON_AIDE_SOURCE
    dirs << QDir::cleanPath(QStringLiteral(KALDRON_AIDE_SOURCE));
#endif
    return dirs;
}

FenetreAide::FenetreAide(QWidget* parent)
    : QWidget(parent, Qt::Window), Texte(new QTextBrowser(this)),
      Précédent(new QPushButton(u"&Précédent"_s, this)),
      Suivant(new QPushButton(u"S&uivant"_s, this)), Fermer(new QPushButton(u"&Fermer"_s, this)) {
    setObjectName(u"Aide_morvine"_s);
    Texte->setObjectName(u"Texte"_s);
    setWindowTitle(TITRE);
    // Les liens mènent aux autres pages (celles de KALDRON) dans la même fenêtre.
    plateforme::disposer_fenetre_aide(this, Texte, {}, Précédent, Suivant, Fermer);
    // Le titre suit la page lue.
    connect(Texte, &QTextBrowser::sourceChanged, this, [this] {
        const QString titre = Texte->documentTitle();
        setWindowTitle(titre.isEmpty() ? TITRE : titre);
    });
}

void FenetreAide::ouvrir() {
    QString trouve;
    for (const QString& d : repertoires_aide())
        if (QFileInfo::exists(d + u'/' + PAGE)) {
            trouve = d;
            break;
        }
    if (trouve.isEmpty()) {
        QString liste;
        for (const QString& d : repertoires_aide())
            liste += u"<li>"_s + d.toHtmlEscaped() + u"</li>"_s;
        Texte->setHtml(u"<h2>Aide introuvable</h2><p>La page d'aide de MORVINE ("_s + PAGE +
                       u") n'a été trouvée dans aucun de ces répertoires :</p><ul>"_s + liste +
                       u"</ul><p>Réinstallez KALDRON et MORVINE.</p>"_s);
        setWindowTitle(TITRE);
    } else {
        Texte->setSource(QUrl::fromLocalFile(trouve + u'/' + PAGE));
    }
    show();
    raise();
    activateWindow();
}

} // namespace morvine
