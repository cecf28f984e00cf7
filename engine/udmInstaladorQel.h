#pragma once
// The data module: holds the connection used by the data-access probe. Both faces make
// one at start-up, the check that the ADO run-time is there; each installation run makes
// its own on its thread, so that the probe's ADO object lives where it is used.
#include <string>

#include "dbupgrade/Database.h"
#include "engine/ProbeConnection.h"

namespace qel {

class TdmInstalaQel : public ProbeConnection {
public:
    // Creates the probe connection: no login prompt, share-deny-none, not open.
    // Throws when the ADO run-time is missing.
    TdmInstalaQel();

    db::Connection& adoInstalaQel() override { return adoInstalaQel_; }

    // Points the probe connection at a database file (short connection text).
    void ConfiguraConexao(const std::string& caminhoBanco) override;

private:
    db::Connection adoInstalaQel_;
};

}  // namespace qel
