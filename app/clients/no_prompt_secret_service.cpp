#include "app/clients/no_prompt_secret_service.h"

#include <libsecret/secret.h>

namespace nimbrel {

namespace {

// libsecret hands every prompt the service asks for (to unlock a keyring, or to create an item in a locked
// one) to these class functions. Ours dismiss the prompt at the service and fail with "locked", so no
// unlock dialog can appear on the user's screen because of us, whichever call asked for it.

struct NoPromptService {
    SecretService parent;
};

struct NoPromptServiceClass {
    SecretServiceClass parent;
};

void dismiss(SecretPrompt* prompt) {
    // Fire and forget: the service drops the prompt object; nobody waits for the answer.
    g_dbus_proxy_call(reinterpret_cast<GDBusProxy*>(prompt), "Dismiss", g_variant_new("()"), G_DBUS_CALL_FLAGS_NONE, -1,
                      nullptr, nullptr, nullptr);
}

GVariant* refusePromptSync(SecretService* /*self*/, SecretPrompt* prompt, GCancellable* /*cancellable*/,
                           const GVariantType* /*returnType*/, GError** error) {
    dismiss(prompt);
    g_set_error_literal(error, SECRET_ERROR, SECRET_ERROR_IS_LOCKED, kKeyringLockedMessage);
    return nullptr;
}

void refusePrompt(SecretService* self, SecretPrompt* prompt, const GVariantType* /*returnType*/,
                  GCancellable* cancellable, GAsyncReadyCallback callback, gpointer userData) {
    dismiss(prompt);
    GTask* task = g_task_new(self, cancellable, callback, userData);
    g_task_return_new_error(task, SECRET_ERROR, SECRET_ERROR_IS_LOCKED, "%s", kKeyringLockedMessage);
    g_object_unref(task);
}

GVariant* refusePromptFinish(SecretService* /*self*/, GAsyncResult* result, GError** error) {
    return static_cast<GVariant*>(g_task_propagate_pointer(reinterpret_cast<GTask*>(result), error));
}

void initNoPromptServiceClass(gpointer klass, gpointer /*data*/) {
    auto* serviceClass = static_cast<SecretServiceClass*>(klass);
    serviceClass->prompt_sync = refusePromptSync;
    serviceClass->prompt_async = refusePrompt;
    serviceClass->prompt_finish = refusePromptFinish;
}

} // namespace

GType noPromptSecretServiceType() {
    static const GType type = g_type_register_static_simple(
        secret_service_get_type(), "NimbrelNoPromptSecretService", sizeof(NoPromptServiceClass),
        initNoPromptServiceClass, sizeof(NoPromptService), nullptr, static_cast<GTypeFlags>(0));
    return type;
}

} // namespace nimbrel
