#pragma once

struct Workbench;

// Programming and reading one address by hand.
class ManualOperations {
  public:
    explicit ManualOperations(Workbench& bench) : bench_(bench) {}

    void BitBtn4Click();  // "PROGRAMACION MANUAL" > "Programar"
    void BitBtn6Click();  // "LECTURA MANUAL" > "Leer"

  private:
    Workbench& bench_;
};
