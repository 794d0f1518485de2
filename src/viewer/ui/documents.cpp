#include "viewer/ui/documents.h"

#include "viewer/ui/fenetre.h"

namespace morvine {

int TablesDocuments::Trouver_indice_libre() {
    for (int i = 1; i <= borne(); ++i) {
        if (Etat_document[i].supprime) {
            Etat_document[i].supprime = false;
            return i;
        }
    }
    Documents.emplace_back();
    Etat_document.emplace_back();
    return borne();
}

bool TablesDocuments::Reste_des_documents() const {
    for (int i = 1; i <= borne(); ++i) {
        if (!Etat_document[i].supprime)
            return true;
    }
    return false;
}

void TablesDocuments::reinitialiser() {
    Documents.assign(2, nullptr);
    Etat_document.assign(2, EtatDocument{});
    Etat_document[1].supprime = true;
}

} // namespace morvine
