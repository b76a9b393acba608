#include "app/main.h"

#include "app/simple_table_view_app_delegate.h"

namespace holdstill {

int main(int argc, char* argv[]) {
  return platform::UIApplicationMain(argc, argv,
                                     [] { return std::make_shared<SimpleTableViewAppDelegate>(); });
}

}  // namespace holdstill
