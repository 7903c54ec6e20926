// Velto's name and version, shared by the program and its version resource.
#ifndef BRINDLE_EXAMPLES_VELTO_VERSION_H_
#define BRINDLE_EXAMPLES_VELTO_VERSION_H_

#define VELTO_VERSION_MAJOR 1
#define VELTO_VERSION_MINOR 2
#define VELTO_VERSION_PATCH 0
#define VELTO_VERSION_TEXT "1.2.0"
#define VELTO_PRODUCT_NAME "Velto"

#endif  // BRINDLE_EXAMPLES_VELTO_VERSION_H_
