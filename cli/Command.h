#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace cli {

class Session;

// One order of the command line: its name, what it takes, and the run.
class Command {
  public:
    virtual ~Command() = default;

    virtual QString name() const = 0;
    // How many arguments follow the order's name, and how many more it may take.
    virtual int arguments() const { return 0; }
    virtual int optionalArguments() const { return 0; }
    // Whether its one argument is an image a job file may name.
    virtual bool takesJobImage() const { return false; }
    // Whether the order works on a chip, so that -t must name its type.
    virtual bool needsType() const { return true; }
    // Whether the order touches a programmer at all; one that does not
    // leaves no line in the record.
    virtual bool touchesProgrammer() const { return true; }
    // The files the order reads and writes, checked before the programmer
    // is touched ("-" is standard input or output).
    virtual QStringList inputs(const QStringList& arguments) const {
        (void)arguments;
        return {};
    }
    virtual QStringList outputs(const QStringList& arguments) const {
        (void)arguments;
        return {};
    }
    // The exit code; a run that cannot go on throws Exit.
    virtual int execute(Session& session, const QStringList& arguments) = 0;
};

// Every order, in the order of the help.
std::vector<std::unique_ptr<Command>> allCommands();
// A new one of the order of that name (a gang's worker has its own).
std::unique_ptr<Command> makeCommand(const QString& name);

std::unique_ptr<Command> makeLeer();
std::unique_ptr<Command> makeProgramar();
std::unique_ptr<Command> makeVerificar();
std::unique_ptr<Command> makeBorrado();
std::unique_ptr<Command> makeLlenar();
std::unique_ptr<Command> makeTipos();
std::unique_ptr<Command> makeSondeo();
std::unique_ptr<Command> makeInfo();
std::unique_ptr<Command> makeDispositivos();
std::unique_ptr<Command> makeTrabajo();
std::unique_ptr<Command> makeEstadisticas();
std::unique_ptr<Command> makeAnalizar();
std::unique_ptr<Command> makeIdentificar();

}  // namespace cli
