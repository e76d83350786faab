#pragma once

#include <string>

// Runs of the cli for the tests that stop it at its file calls.

int Shell(const std::string& command);

// text in single quotes for the shell (text holds none of its own).
std::string Quoted(const std::string& text);

struct CliRun {
  int status;
  std::string printout;  // what it wrote to stdout
  std::string output;    // stdout, then stderr
};

// Runs the cli with arguments, its configuration in folder and its audio folder
// audio, after the shell assignments of environment.
CliRun RunCli(const std::string& folder, const std::string& audio, const std::string& arguments,
              const std::string& environment = "");

// The project folder a project file's bytes name ("" when too short to name one).
std::string ProjectFolderOf(const std::string& record);

// A project file's bytes with the folder it names blanked out: a save under a new
// name makes that folder's name from the clock.
std::string WithoutProjectFolder(std::string record);
