#pragma once

#include <QString>
#include <memory>

class TCliCommand;

// The scan command; profileFolder: where a browser profile of this process's own may go.
std::unique_ptr<TCliCommand> ScanCommand(const QString& profileFolder);
