OnBegin() { System.Title = "Test game"; Storage.SaveValue(empty, "Began", System.Title); }
OnEnd() { Storage.SaveValue(empty, "Ended", Math.FormatTime(75)); }
