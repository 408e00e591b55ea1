#pragma once

// Shell services holder; nothing in this program needs more than its existence.
class CShellManager {
public:
    CShellManager() = default;
    CShellManager(const CShellManager&) = delete;
    CShellManager& operator=(const CShellManager&) = delete;
};
