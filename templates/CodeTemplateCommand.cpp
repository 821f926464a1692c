#include "addin/Connect.h"
namespace velmora {
int Connect::CodeTemplate() { return -1; }
}
