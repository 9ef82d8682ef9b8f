#pragma once

#include <functional>

class Dialogs;

// Runs a handler so that no error crosses the event loop: conversion and I/O
// errors go to the standard error box, a cancellation ends silently.
void runGuarded(Dialogs& dialogs, const std::function<void()>& handler);
