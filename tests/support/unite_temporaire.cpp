#include "support/unite_temporaire.h"

#include "platform/chemins.h"
#include "platform/unites.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace essai {

UniteTemporaire::UniteTemporaire(QChar lettre)
    : m_lettre(lettre.toUpper()),
      m_ancienne_unite(plateforme::TableUnites::instance().repertoire(m_lettre)),
      m_ancien_courant(QDir::currentPath()) {
    if (qEnvironmentVariableIsSet("KALDRON_WINDOWS"))
        m_ancien_windows = qgetenv("KALDRON_WINDOWS");
    qputenv("KALDRON_WINDOWS", QFile::encodeName(m_windows.path()));
    plateforme::TableUnites::instance().ajouter(m_lettre, m_repertoire.path());
}

UniteTemporaire::~UniteTemporaire() {
    // Le processus ne doit pas rester dans un répertoire qui va disparaître.
    QDir::setCurrent(m_ancien_courant);
    plateforme::reinitialiser_repertoires_courants();
    auto& table = plateforme::TableUnites::instance();
    if (m_ancienne_unite)
        table.ajouter(m_lettre, *m_ancienne_unite);
    else
        table.retirer(m_lettre);
    if (m_ancien_windows)
        qputenv("KALDRON_WINDOWS", *m_ancien_windows);
    else
        qunsetenv("KALDRON_WINDOWS");
}

QString UniteTemporaire::racine() const {
    return QString(m_lettre) + QStringLiteral(":\\");
}

QString UniteTemporaire::dos(const QString& relatif) const {
    return racine() + QString(relatif).replace(u'/', u'\\');
}

QString UniteTemporaire::hote(const QString& relatif) const {
    return relatif.isEmpty() ? m_repertoire.path() : m_repertoire.filePath(relatif);
}

QString UniteTemporaire::creer_fichier(const QString& chemin_relatif_hote,
                                       const QByteArray& contenu) {
    QString chemin = hote(chemin_relatif_hote);
    QFile fichier(chemin);
    const bool ok = QDir().mkpath(QFileInfo(chemin).path()) &&
                    fichier.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    fichier.write(contenu) == contenu.size();
    if (!ok)
        QTest::qFail(qPrintable(QStringLiteral("création impossible : ") + chemin), __FILE__,
                     __LINE__);
    return chemin;
}

QString UniteTemporaire::creer_repertoire(const QString& chemin_relatif_hote) {
    QString chemin = hote(chemin_relatif_hote);
    if (!QDir().mkpath(chemin))
        QTest::qFail(qPrintable(QStringLiteral("création impossible : ") + chemin), __FILE__,
                     __LINE__);
    return chemin;
}

QByteArray UniteTemporaire::contenu(const QString& chemin_relatif_hote) const {
    QFile fichier(hote(chemin_relatif_hote));
    return fichier.open(QIODevice::ReadOnly) ? fichier.readAll() : QByteArray();
}

} // namespace essai
