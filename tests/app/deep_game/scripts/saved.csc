Saved(key, value) { Storage.SaveValue(empty, key, value); }
