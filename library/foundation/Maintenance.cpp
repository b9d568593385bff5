// Placeholder until library initialisation lands.
namespace Pellam {
}
