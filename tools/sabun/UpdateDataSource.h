// An update data folder (the output of sabun bundle) installed as the
// program's own blocks, so that the updater's update list, search and update
// read it as they read the embedded data.
#pragma once

#include <cstdio>
#include <string>

#include "patch/ResFileCtrl.h"
#include "platform/Resources.h"
#include "search/FolderCheckCtrl.h"
#include "tools/authoring/UpdateDataFolder.h"

class CUpdateDataSource {
 public:
  // Loads `folder`; Loaded() says whether it could, Error() why not.
  explicit CUpdateDataSource(const std::string& folder) {
    m_loaded = authoring::LoadUpdateDataFolder(folder, m_resources, m_error);
    if (m_loaded) platform::SetResourceSource(&m_resources);
  }
  ~CUpdateDataSource() {
    DeleteFolderCheckCtrl();
    CResFileCtrl::ReleaseUpdateList();
    platform::SetResourceSource(nullptr);
  }
  CUpdateDataSource(const CUpdateDataSource&) = delete;
  CUpdateDataSource& operator=(const CUpdateDataSource&) = delete;

  bool Loaded() const { return m_loaded; }
  const std::string& Error() const { return m_error; }

 private:
  platform::MemoryResources m_resources;
  std::string m_error;
  bool m_loaded = false;
};
