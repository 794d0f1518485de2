#pragma once
// Base des essais de la fenêtre principale : unité C: jetable avec le
// répertoire du programme, dialogues scriptés, état partagé remis à zéro.
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "support/dialogues_scriptes.h"
#include "support/unite_temporaire.h"
#include <QObject>
#include <memory>

class EssaiFenetre : public QObject {
protected:
    std::unique_ptr<essai::UniteTemporaire> c;
    std::unique_ptr<essai::DialoguesScriptes> d;
    std::unique_ptr<Gestion_Fichiers> f;

    void monter() {
        etat_commande().reinitialiser();
        reglages().reinitialiser();
        c = std::make_unique<essai::UniteTemporaire>();
        c->creer_repertoire(QStringLiteral("kaldron"));
        qputenv("KALDRON_PROGRAMME", c->hote(QStringLiteral("kaldron")).toUtf8());
        d = std::make_unique<essai::DialoguesScriptes>();
    }

    // Tout est défait avant de juger : un échec ne laisse pas de vrais
    // dialogues à l'essai suivant. Vrai si les dialogues étaient attendus.
    bool demonter() {
        const bool ok = d->verifier();
        f.reset();
        d.reset();
        c.reset();
        qunsetenv("KALDRON_PROGRAMME");
        return ok;
    }
};
