#pragma once
// The data module as the data-access prerequisite sees it: the probe connection and the
// operation that points it at a database file.
#include <string>

#include "dbupgrade/Database.h"

namespace qel {

class ProbeConnection {
public:
    virtual ~ProbeConnection() = default;
    virtual db::Connection& adoInstalaQel() = 0;
    virtual void ConfiguraConexao(const std::string& caminhoBanco) = 0;
};

}  // namespace qel
