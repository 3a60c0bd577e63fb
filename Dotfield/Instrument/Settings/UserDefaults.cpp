#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

UserDefaults::UserDefaults(BackingStorageType backingStore) : backingStore_(std::move(backingStore)) {}

std::shared_ptr<UserDefaults> UserDefaults::overStandardUserDefaults() {
    return std::make_shared<UserDefaults>(StandardDefaults{PersistentDefaults::standardUserDefaults()});
}

bool UserDefaults::overUserDefaults() const {
    return std::holds_alternative<StandardDefaults>(backingStore_);
}

std::optional<PropertyListValue> UserDefaults::object(const std::string& key) const {
    if (const auto* standard = std::get_if<StandardDefaults>(&backingStore_)) {
        return standard->defaults->object(key);
    }
    std::lock_guard lock(internalMutex_);
    const auto found = internalDictionary_.find(key);
    if (found == internalDictionary_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void UserDefaults::setObject(const std::string& key, std::optional<PropertyListValue> value) {
    if (const auto* standard = std::get_if<StandardDefaults>(&backingStore_)) {
        standard->defaults->setObject(key, std::move(value));
        return;
    }
    std::lock_guard lock(internalMutex_);
    if (value) {
        internalDictionary_.insert_or_assign(key, std::move(*value));
    } else {
        internalDictionary_.erase(key);
    }
}

std::optional<bool> UserDefaults::boolForKey(const std::string& key) const {
    const auto value = object(key);
    if (!value) {
        return std::nullopt;
    }
    if (overUserDefaults()) {
        return value->boolValue();
    }
    const bool* stored = value->as<bool>();
    return stored ? std::optional<bool>(*stored) : std::nullopt;
}

std::optional<double> UserDefaults::doubleForKey(const std::string& key) const {
    const auto value = object(key);
    if (!value) {
        return std::nullopt;
    }
    if (overUserDefaults()) {
        return value->doubleValue();
    }
    const double* stored = value->as<double>();
    return stored ? std::optional<double>(*stored) : std::nullopt;
}

std::optional<std::int64_t> UserDefaults::integerForKey(const std::string& key) const {
    const auto value = object(key);
    if (!value) {
        return std::nullopt;
    }
    if (overUserDefaults()) {
        return value->integerValue();
    }
    const std::int64_t* stored = value->as<std::int64_t>();
    return stored ? std::optional<std::int64_t>(*stored) : std::nullopt;
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
    const auto value = object(key);
    if (!value || !value->holds<std::string>()) {
        return std::nullopt;
    }
    return *value->as<std::string>();
}

void UserDefaults::setBool(bool value, const std::string& key) {
    setObject(key, PropertyListValue(value));
}

void UserDefaults::setDouble(double value, const std::string& key) {
    setObject(key, PropertyListValue(value));
}

void UserDefaults::setInteger(std::int64_t value, const std::string& key) {
    setObject(key, PropertyListValue(value));
}

void UserDefaults::setString(const std::optional<std::string>& value, const std::string& key) {
    setObject(key, value ? std::optional<PropertyListValue>(PropertyListValue(*value)) : std::nullopt);
}

} // namespace Dotfield
