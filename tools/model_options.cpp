#include "tools/model_options.h"

#include "graspstat/numbers.h"
#include "graspstat/text.h"

namespace gs {

namespace {

// Adds an option of count comma-separated numbers, which store puts into a
// model. They reach *model once they read as finite numbers and a usable
// model with them alone stays usable, so the refused option is the one
// named. That model requires both a force and a moment: a zero force or a
// zero moment alone passes, the pair is checked once all are read.
template <class Store>
void AddNumbers(CLI::App *cmd, ExactModel *model, const std::string &name, const std::string &shape,
                int count, const std::string &help, const Store &store) {
  cmd->add_option_function<std::string>(
         name,
         [model, name, count, store](const std::string &text) {
           double v[3] = {0.0, 0.0, 0.0};
           std::string error;
           if (ParseNumberList(text, count, v, &error) == 0)
             throw CLI::ValidationError(name, error);
           ExactModel alone = kDefaultExactModel;
           alone.MEX[2] = alone.FEX[2];
           store(&alone, v);
           const char *refused = ExactModelError(&alone);
           if (refused != nullptr) throw CLI::ValidationError(name, refused);
           store(model, v);
         },
         help)
      ->type_name(shape);
}

} // namespace

void AddModelOptions(CLI::App *cmd, ExactModel *model) {
  const ExactModel &d = *model;
  AddNumbers(cmd, model, "--mu", "M", 1,
             "friction coefficient (default " + NumberListText(&d.mu, 1) + ")",
             [](ExactModel *m, const double *v) { m->mu = v[0]; });
  AddNumbers(cmd, model, "--rm", "R", 1,
             "friction-moment radius (length; default " + NumberListText(&d.rm, 1) + ")",
             [](ExactModel *m, const double *v) { m->rm = v[0]; });
  AddNumbers(cmd, model, "--cap", "C", 1,
             "normal-force cap (default " + NumberListText(&d.cap, 1) + ")",
             [](ExactModel *m, const double *v) { m->cap = v[0]; });
  AddNumbers(cmd, model, "--fex", "X,Y,Z", 3,
             "force the contacts must supply (default " + NumberListText(d.FEX, 3) + ")",
             [](ExactModel *m, const double *v) {
               for (int i = 0; i < 3; i++) m->FEX[i] = v[i];
             });
  AddNumbers(cmd, model, "--mex", "X,Y,Z", 3,
             "moment about the work centre the contacts must supply (default " +
                 NumberListText(d.MEX, 3) + ")",
             [](ExactModel *m, const double *v) {
               for (int i = 0; i < 3; i++) m->MEX[i] = v[i];
             });
  cmd->add_option_function<std::string>(
         "--contact",
         [model](const std::string &text) {
           const int law = ContactLawFromName(text.c_str());
           if (law < 0)
             throw CLI::ValidationError("--contact", "'" + EchoText(text) +
                                                         "' is no contact law (use soft, point "
                                                         "or elliptic)");
           model->law = law;
         },
         std::string("contact law: soft, point or elliptic (default ") + ContactLawName(d.law) +
             ")")
      ->type_name("LAW");
}

int CheckModelOptions(const ExactModel *model, std::string *error) {
  const char *refused = ExactModelError(model);
  if (refused == nullptr) return 1;
  // each option was accepted alone as it was read: what is left is a
  // required force and moment that are both zero
  *error = std::string("--fex, --mex: ") + refused;
  return 0;
}

} // namespace gs
