#pragma once
// The application's entry point: starts the platform's application loop
// with SimpleTableViewAppDelegate as the delegate and returns the status
// it ends with. The simulator calls it once it has set up the phone.
namespace holdstill {

int main(int argc, char* argv[]);

}  // namespace holdstill
