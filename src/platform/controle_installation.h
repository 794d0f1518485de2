#pragma once
// Contrôles communs de l'installation (--self-test des deux programmes).
#include <QList>
#include <QString>
#include <QTextStream>

namespace plateforme {

struct Controle {
    explicit Controle(QString l) : libelle(std::move(l)) {}
    QString libelle;
    bool reussi = false;
    QString detail;
};

Controle controler_unites();
Controle controler_repertoire_windows();
// Aller-retour d'une valeur accentuée dans un profil jetable du répertoire Windows.
Controle controler_profil(const QString& fichier, const QString& valeur);
Controle controler_plateforme_qt();
Controle controler_traductions_qt();
Controle controler_programme();

// Écrit chaque contrôle puis le verdict pour 'programme' ; 0 si tout va bien.
int rendre_verdict(const QList<Controle>& controles, const QString& programme, QTextStream& sortie);

} // namespace plateforme
