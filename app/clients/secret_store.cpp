#include "app/clients/secret_store.h"

#include <memory>
#include <utility>
#include <vector>

#include <libsecret/secret.h>

#include "app/clients/no_prompt_secret_service.h"

namespace nimbrel {

namespace {

constexpr const char* kServiceAttribute = "service";
constexpr const char* kAccountAttribute = "account";
constexpr const char* kDescriptionAttribute = "description";
constexpr const char* kContentType = "text/plain";

constexpr const char* kLockedMessage = kKeyringLockedMessage;
constexpr const char* kNoKeyringMessage = "There is no default keyring to keep the item in";
constexpr const char* kNoSecretMessage = "The keyring item holds no secret";
constexpr const char* kNotTextMessage = "The keyring item’s secret is not UTF-8 text";

// ---- Ownership of GLib values.

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using ObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

struct ValueUnref {
    void operator()(SecretValue* value) const { secret_value_unref(value); }
};
using ValuePtr = std::unique_ptr<SecretValue, ValueUnref>;

struct TableUnref {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
using TablePtr = std::unique_ptr<GHashTable, TableUnref>;

/// Collects a GError out-parameter.
class ErrorSlot {
public:
    ErrorSlot() = default;
    ~ErrorSlot() { take(); }
    ErrorSlot(const ErrorSlot&) = delete;
    ErrorSlot& operator=(const ErrorSlot&) = delete;

    GError** out() { return &m_error; }
    ErrorPtr take() { return ErrorPtr(std::exchange(m_error, nullptr)); }

private:
    GError* m_error = nullptr;
};

/// Makes a fresh main context the thread's default for one operation. The D-Bus proxies libsecret creates
/// deliver their signals there rather than to the Qt main thread's context, and whatever is left is drained
/// before the context goes.
class PrivateMainContext {
public:
    PrivateMainContext()
        : m_context(g_main_context_new()) {
        g_main_context_push_thread_default(m_context);
    }
    ~PrivateMainContext() {
        while (g_main_context_iteration(m_context, FALSE) != FALSE) {
        }
        g_main_context_pop_thread_default(m_context);
        g_main_context_unref(m_context);
    }
    PrivateMainContext(const PrivateMainContext&) = delete;
    PrivateMainContext& operator=(const PrivateMainContext&) = delete;

private:
    GMainContext* m_context;
};

KeychainError keychainError(GError* error) {
    std::int32_t status = KeychainError::kStatusRefused;
    if (error->domain == SECRET_ERROR && error->code == SECRET_ERROR_IS_LOCKED) {
        status = KeychainError::kStatusLocked;
    } else if (error->domain == G_IO_ERROR) {
        status = KeychainError::kStatusUnavailable; // no bus address, or the connection closed
    } else if (error->domain == G_DBUS_ERROR) {
        switch (static_cast<GDBusError>(error->code)) {
        case G_DBUS_ERROR_SERVICE_UNKNOWN:
        case G_DBUS_ERROR_NAME_HAS_NO_OWNER:
        case G_DBUS_ERROR_NO_REPLY:
        case G_DBUS_ERROR_TIMEOUT:
        case G_DBUS_ERROR_TIMED_OUT:
        case G_DBUS_ERROR_DISCONNECTED:
        case G_DBUS_ERROR_NO_SERVER:
        case G_DBUS_ERROR_SPAWN_FAILED:
        case G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND:
            status = KeychainError::kStatusUnavailable;
            break;
        default:
            break;
        }
    }
    g_dbus_error_strip_remote_error(error);
    return KeychainError{status, error->message != nullptr ? error->message : ""};
}

KeychainError keychainError(ErrorSlot& slot, std::int32_t statusWithoutError, const char* messageWithoutError) {
    if (const ErrorPtr error = slot.take()) {
        return keychainError(error.get());
    }
    return KeychainError{statusWithoutError, messageWithoutError};
}

/// The schema of our items. Flagged so that searches match the attributes alone, not the schema's name:
/// items stored by other tools carry another name, or none.
SecretSchema schemaNamed(const std::string& name) {
    SecretSchema schema{};
    schema.name = name.c_str();
    schema.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
    schema.attributes[0] = {kServiceAttribute, SECRET_SCHEMA_ATTRIBUTE_STRING};
    schema.attributes[1] = {kAccountAttribute, SECRET_SCHEMA_ATTRIBUTE_STRING};
    schema.attributes[2] = {kDescriptionAttribute, SECRET_SCHEMA_ATTRIBUTE_STRING};
    return schema;
}

TablePtr attributeTable(std::initializer_list<std::pair<const char*, const std::string*>> attributes) {
    TablePtr table(g_hash_table_new(g_str_hash, g_str_equal));
    for (const auto& [name, value] : attributes) {
        g_hash_table_insert(table.get(), const_cast<char*>(name), const_cast<char*>(value->c_str()));
    }
    return table;
}

/// The items of one account, locked ones included, in the order the service gives them.
class AccountItems {
public:
    explicit AccountItems(GList* items)
        : m_items(items) {}
    ~AccountItems() { g_list_free_full(m_items, g_object_unref); }
    AccountItems(const AccountItems&) = delete;
    AccountItems& operator=(const AccountItems&) = delete;

    std::vector<SecretItem*> all() const {
        std::vector<SecretItem*> items;
        for (GList* node = m_items; node != nullptr; node = node->next) {
            items.push_back(static_cast<SecretItem*>(node->data));
        }
        return items;
    }
    bool empty() const { return m_items == nullptr; }
    bool anyLocked() const {
        for (SecretItem* item : all()) {
            if (secret_item_get_locked(item) != FALSE) {
                return true;
            }
        }
        return false;
    }
    SecretItem* firstUnlocked() const {
        for (SecretItem* item : all()) {
            if (secret_item_get_locked(item) == FALSE) {
                return item;
            }
        }
        return nullptr;
    }

private:
    GList* m_items;
};

/// One conversation with the Secret Service about one account: the client and the account's items.
class Session {
public:
    Session(const std::string& service, const std::string& schemaName, const std::string& account)
        : m_service(service)
        , m_account(account)
        , m_schema(schemaNamed(schemaName)) {}

    /// Connects and finds the account's items; an error when either fails.
    std::optional<KeychainError> start() {
        ErrorSlot error;
        m_client.reset(
            secret_service_open_sync(noPromptSecretServiceType(), nullptr, SECRET_SERVICE_NONE, nullptr, error.out()));
        if (!m_client) {
            return keychainError(error, KeychainError::kStatusUnavailable, "");
        }
        const TablePtr attributes = attributeTable({{kServiceAttribute, &m_service}, {kAccountAttribute, &m_account}});
        // No unlock flag and no loading of secrets: locked items come back as they are, and nothing prompts.
        GList* found = secret_service_search_sync(m_client.get(), &m_schema, attributes.get(), SECRET_SEARCH_ALL,
                                                  nullptr, error.out());
        if (ErrorPtr failure = error.take()) {
            return keychainError(failure.get());
        }
        m_items = std::make_unique<AccountItems>(found);
        return std::nullopt;
    }

    const AccountItems& items() const { return *m_items; }
    SecretService* client() const { return m_client.get(); }
    const SecretSchema* schema() const { return &m_schema; }

private:
    const std::string& m_service;
    const std::string& m_account;
    SecretSchema m_schema;
    ObjectPtr<SecretService> m_client;
    std::unique_ptr<AccountItems> m_items;
};

ValuePtr secretValue(const SecretText& secret) {
    // libsecret copies the bytes into its own memory, which it wipes when the value is released.
    return ValuePtr(secret_value_new(secret.view().data(), static_cast<gssize>(secret.size()), kContentType));
}

} // namespace

SecretStore::SecretStore(std::string service, std::string schemaName)
    : m_service(std::move(service))
    , m_schemaName(std::move(schemaName)) {}

SecretLookup SecretStore::read(const std::string& account) const {
    const PrivateMainContext context;
    Session session(m_service, m_schemaName, account);
    if (auto error = session.start()) {
        return {std::nullopt, std::move(error)};
    }
    const AccountItems& items = session.items();
    if (items.empty()) {
        return {};
    }
    SecretItem* item = items.firstUnlocked();
    if (item == nullptr) {
        return {std::nullopt, KeychainError{KeychainError::kStatusLocked, kLockedMessage}};
    }
    ErrorSlot error;
    if (secret_item_load_secret_sync(item, nullptr, error.out()) == FALSE) {
        return {std::nullopt, keychainError(error, KeychainError::kStatusRefused, "")};
    }
    const ValuePtr value(secret_item_get_secret(item));
    if (!value) {
        return {std::nullopt, KeychainError{KeychainError::kStatusBadSecret, kNoSecretMessage}};
    }
    gsize length = 0;
    const gchar* bytes = secret_value_get(value.get(), &length);
    if (g_utf8_validate(bytes, static_cast<gssize>(length), nullptr) == FALSE) {
        return {std::nullopt, KeychainError{KeychainError::kStatusBadSecret, kNotTextMessage}};
    }
    return {SecretText(bytes, length), std::nullopt};
}

std::optional<KeychainError> SecretStore::write(const SecretText& secret, const std::string& account,
                                                const ItemText& text) const {
    const PrivateMainContext context;
    Session session(m_service, m_schemaName, account);
    if (auto error = session.start()) {
        return error;
    }
    const AccountItems& items = session.items();
    const ValuePtr value = secretValue(secret);
    if (!items.empty()) {
        // Replace the secret only: the label and description stay as the item's creator set them. Every
        // matching item is updated, so that a later read cannot find an older token beside the new one.
        if (items.anyLocked()) {
            return KeychainError{KeychainError::kStatusLocked, kLockedMessage};
        }
        for (SecretItem* item : items.all()) {
            ErrorSlot error;
            if (secret_item_set_secret_sync(item, value.get(), nullptr, error.out()) == FALSE) {
                return keychainError(error, KeychainError::kStatusRefused, "");
            }
        }
        return std::nullopt;
    }
    ErrorSlot error;
    const ObjectPtr<SecretCollection> collection(secret_collection_for_alias_sync(
        session.client(), SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, nullptr, error.out()));
    if (!collection) {
        return keychainError(error, KeychainError::kStatusNoKeyring, kNoKeyringMessage);
    }
    // In a locked default keyring gnome-keyring fails the call as locked; a service that asks for an unlock
    // prompt instead has it refused by our client, with the same outcome.
    const TablePtr attributes = attributeTable(
        {{kServiceAttribute, &m_service}, {kAccountAttribute, &account}, {kDescriptionAttribute, &text.description}});
    const ObjectPtr<SecretItem> created(secret_item_create_sync(collection.get(), session.schema(), attributes.get(),
                                                                text.label.c_str(), value.get(),
                                                                SECRET_ITEM_CREATE_NONE, nullptr, error.out()));
    if (!created) {
        return keychainError(error, KeychainError::kStatusRefused, "");
    }
    return std::nullopt;
}

std::optional<KeychainError> SecretStore::remove(const std::string& account) const {
    const PrivateMainContext context;
    Session session(m_service, m_schemaName, account);
    if (auto error = session.start()) {
        return error;
    }
    const AccountItems& items = session.items();
    if (items.anyLocked()) {
        return KeychainError{KeychainError::kStatusLocked, kLockedMessage};
    }
    for (SecretItem* item : items.all()) {
        ErrorSlot error;
        if (secret_item_delete_sync(item, nullptr, error.out()) == FALSE) {
            return keychainError(error, KeychainError::kStatusRefused, "");
        }
    }
    return std::nullopt;
}

} // namespace nimbrel
