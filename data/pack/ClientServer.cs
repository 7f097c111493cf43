ZuBook
ZuShared files
ZuData transfer
Server
Size
Caption
Online
Offline
Share file links of your ZuBook and let other copies of Tarnu download them.
Connect to a server of the list to browse and download its shared files.
Allow connections
Stop sharing
Connect
Disconnect
